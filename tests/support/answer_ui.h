#pragma once
// Test support: a person who answers the dialogs from lists and remembers
// what was asked (a sketra::DialogUi installed with set_dialog_ui).
//
//   korvel::testing::AnswerUi ui;
//   ui.prompt_answers = {"river"};
//   sketra::set_dialog_ui(&ui);
//   ... the code under test asks ...
//   EXPECT_EQ(ui.prompts_seen, (std::vector<std::string>{"Enter Prefix> "}));
//
// A prompt, form or pick list without an answer left is cancelled; a form
// answer of "" keeps that field's value.

#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sketra/ui/dialogs.h"

namespace korvel::testing {

class AnswerUi : public sketra::DialogUi {
 public:
  std::deque<std::string> prompt_answers;
  std::deque<std::vector<std::string>> form_answers;
  std::deque<int> choice_answers;
  std::string chosen_file;  // the browser's answer; empty: cancelled

  std::vector<std::string> prompts_seen, presets_seen;  // each prompt and the text it offered
  std::vector<std::vector<std::string>> forms_seen;     // the prompts of each form
  std::vector<std::vector<std::string>> choices_seen;
  std::vector<std::vector<std::string>> pages;
  std::vector<std::string> beams_seen;  // the progress bars' texts, each run of one text once

  void message(std::string_view) override {}
  bool prompt(std::string_view p, std::string& text) override {
    prompts_seen.emplace_back(p);
    presets_seen.push_back(text);
    if (prompt_answers.empty()) return false;
    text = prompt_answers.front();
    prompt_answers.pop_front();
    return true;
  }
  bool form(std::span<std::string> prompts, std::span<std::string> values) override {
    forms_seen.emplace_back(prompts.begin(), prompts.end());
    if (form_answers.empty()) return false;
    const std::vector<std::string> a = form_answers.front();
    form_answers.pop_front();
    for (std::size_t i = 0; i < a.size() && i < values.size(); ++i)
      if (!a[i].empty()) values[i] = a[i];
    return true;
  }
  bool choose_file(std::string& name, std::string&) override {
    name = chosen_file;
    return !chosen_file.empty();
  }
  void text_page(std::span<const std::string> lines) override { pages.emplace_back(lines.begin(), lines.end()); }
  void plate(std::span<const std::string>) override {}
  void beam(int, std::string_view text) override {
    if (beams_seen.empty() || beams_seen.back() != text) beams_seen.emplace_back(text);
  }
  int choice(std::span<const std::string> captions) override {
    choices_seen.emplace_back(captions.begin(), captions.end());
    if (choice_answers.empty()) return 0;
    const int k = choice_answers.front();
    choice_answers.pop_front();
    return k;
  }
};

}  // namespace korvel::testing
