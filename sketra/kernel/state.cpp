#include "sketra/kernel/state.h"

#include "sketra/kernel/bitmap.h"
#include "sketra/kernel/plot_internal.h"

namespace sketra {

void kernel_state_reset() {
  reset_plot_state();
  file_output = FileOutput{};
  detail::fill_scratch = detail::FillScratch{};
  bitmap_store_reset();
}

}  // namespace sketra
