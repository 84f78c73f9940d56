#pragma once
// Table-driven loads: each case adds a file (and the files it includes) to
// a store that already holds two points from "base.xyz" (origin 10/20), then
// checks what the store holds and what the log says. A rejected file must
// leave the store as it was, with its reason and "load failed: NAME" on log
// lines of their own.
//
//   const LoadCase cases[] = {
//       {"a short record", {{"p.xyz", "1 2 3\n4 5\n6 7 8\n"}}, kRejected, {},
//        "record with too few values at line 2 of p.xyz"},
//   };
//   for (const LoadCase& c : cases) run(c);

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/app_fixture.h"

namespace korvel::testing {

inline constexpr int kRejected = -1;

struct LoadCase {
  std::string what;
  std::vector<std::pair<std::string, std::string>> files;  // name, text; the last one is added
  int np = 0;               // points afterwards (the base file gives 2); kRejected
  std::vector<Edge> edges;  // edges afterwards
  std::string log;          // a line the log holds afterwards (the reason of a rejection)
  std::vector<std::string> answers = {"D"};  // script answers for the dialogs
};

class LoadCaseTest : public AppTest {
 protected:
  void run(const LoadCase& c) {
    SCOPED_TRACE(c.what);
    restart();
    ASSERT_EQ(load_text("base.xyz", "10 20 30\n11 21 31\n"), LoadOutcome::loaded);
    for (const auto& [name, text] : c.files) write_file(name, text);
    const std::string& name = c.files.back().first;
    ::testing::internal::CaptureStdout();
    const LoadOutcome got = load_file(name, kAdd, c.answers);
    ::testing::internal::GetCapturedStdout();
    const std::string log = this->log();
    EXPECT_TRUE(store_consistent());
    if (!c.log.empty()) {
      EXPECT_NE(log.find("\n" + c.log + "\n"), std::string::npos) << log;
    }
    if (c.np == kRejected) {
      EXPECT_EQ(got, LoadOutcome::rejected);
      EXPECT_EQ(cin1.np, 2);
      EXPECT_EQ(cin1.nseg, 0);
      EXPECT_EQ(cin1.xorig, 10.0);
      EXPECT_EQ(sketra::dialogs.message_line, "load failed: " + name);
      EXPECT_NE(log.find("\nload failed: " + name + "\n"), std::string::npos) << log;
      return;
    }
    EXPECT_EQ(got, LoadOutcome::loaded);
    EXPECT_EQ(cin1.np, c.np);
    EXPECT_EQ(cin.seg, c.edges);
  }
};

}  // namespace korvel::testing
