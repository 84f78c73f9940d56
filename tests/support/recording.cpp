#include "support/recording.h"

#include "sketra/kernel/plot.h"

namespace korvel::testing {

void WithRecordingDriver::SetUp() {
  FreshState::SetUp();
  auto rec = std::make_unique<sketra::RecordingDriver>();
  rec_ = rec.get();
  previous_ = sketra::set_driver(std::move(rec));
  sketra::grmode(2);
  rec_->clear_calls();
}

void WithRecordingDriver::TearDown() {
  FreshState::TearDown();
  sketra::set_driver(std::move(previous_));
}

void WithRecordingDriver::use_unit_mapping() {
  auto& c = sketra::grcomn;
  c.xmingr = c.ymingr = 0;
  c.xmaxgr = c.ymaxgr = 1000;
  c.xmncgr = c.ymncgr = 0;
  c.xmxcgr = c.ymxcgr = 1000;
  c.xfacgr = 1;
  c.yfacgr = -1;
  c.xorggr = 0;
  c.yorggr = 1000;
}

}  // namespace korvel::testing
