#include "ui/tab_order.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace zolt::ui {
namespace {

// A button, a label, a text box, two options on the form, a frame with an
// option pair of its own (its own group by container) and a check box.
class TabOrderTest : public ::testing::Test {
 protected:
  TabOrderTest() : form_("frmTab", "Tab", 6000, 4000) {
    form_.Add(ControlKind::kButton, "cmdFirst", {0, 0, 1000, 400}, "First");
    form_.Add(ControlKind::kLabel, "lblNote", {0, 500, 1000, 255}, "note");
    form_.Add(ControlKind::kTextBox, "txtName", {0, 800, 1000, 285});
    form_.Add(ControlKind::kOption, {"optA", 0}, {0, 1200, 1000, 255});
    form_.Add(ControlKind::kOption, {"optA", 1}, {0, 1500, 1000, 255});
    form_.Add(ControlKind::kFrame, "fraBox", {2000, 0, 3000, 2000}, "box");
    form_.Add(ControlKind::kOption, {"optB", 0}, {100, 300, 1000, 255}, "",
              "fraBox");
    form_.Add(ControlKind::kOption, {"optB", 1}, {100, 600, 1000, 255}, "",
              "fraBox");
    form_.Add(ControlKind::kCheckBox, "chkLast", {100, 900, 1000, 255}, "",
              "fraBox");
  }

  // The stops met by pressing Tab (or Shift+Tab) from `start` until the
  // walk comes back to where it began.
  std::string Walk(const ControlKey& start, bool backwards) {
    const Control* from = start.is_form() ? nullptr : &form_.Get(start);
    std::string path;
    const Control* first = nullptr;
    for (int i = 0; i < 20; ++i) {
      const Control* next = NextTabStop(form_, from, backwards);
      if (next == nullptr || next == first) break;
      if (first == nullptr) first = next;
      path += (path.empty() ? "" : " ") + next->key().ToString();
      from = next;
    }
    return path;
  }

  Form form_;
};

TEST_F(TabOrderTest, TabFollowsTheOrderAddedAndEntersEachGroupOnce) {
  struct Case {
    const char* what;
    void (*arrange)(Form&);
    bool backwards;
    const char* expected;
  };
  const Case cases[] = {
      {"no option selected: the first of each group", [](Form&) {}, false,
       "cmdFirst txtName optA(0) optB(0) chkLast"},
      {"Shift+Tab goes the other way",
       [](Form&) {}, true, "chkLast optB(0) optA(0) txtName cmdFirst"},
      {"the selected option stands for its group",
       [](Form& f) {
         f.Get("optA", 1).SetValue(true);
         f.Get("optB", 1).SetValue(true);
       },
       false, "cmdFirst txtName optA(1) optB(1) chkLast"},
      {"hidden and disabled controls are skipped",
       [](Form& f) {
         f.Get("cmdFirst").SetVisible(false);
         f.Get("txtName").SetEnabled(false);
       },
       false, "optA(0) optB(0) chkLast"},
      {"a disabled frame takes its controls out",
       [](Form& f) { f.Get("fraBox").SetEnabled(false); }, false,
       "cmdFirst txtName optA(0)"},
      {"a disabled first option hands the stop to the next one",
       [](Form& f) { f.Get("optA", 0).SetEnabled(false); }, false,
       "cmdFirst txtName optA(1) optB(0) chkLast"},
  };
  for (const Case& c : cases) {
    for (const auto& control : form_.controls()) {
      control->SetVisible(true).SetEnabled(true);
      if (control->kind() == ControlKind::kOption) control->SetValue(false);
    }
    c.arrange(form_);
    EXPECT_EQ(Walk({}, c.backwards), c.expected) << c.what;
  }
}

TEST_F(TabOrderTest, TabFromANonStopGoesOnFromItsPlaceAndNoStopGivesNull) {
  const Control* label = &form_.Get("lblNote");
  EXPECT_EQ(NextTabStop(form_, label, false)->key().ToString(), "txtName");
  EXPECT_EQ(NextTabStop(form_, label, true)->key().ToString(), "cmdFirst");
  for (const auto& control : form_.controls()) control->SetEnabled(false);
  EXPECT_EQ(NextTabStop(form_, nullptr, false), nullptr);
}

TEST_F(TabOrderTest, ArrowsStayInsideTheGroupAndWrap) {
  const Control& a0 = form_.Get("optA", 0);
  const Control& a1 = form_.Get("optA", 1);
  EXPECT_EQ(&NextOptionInGroup(form_, a0, false), &a1);
  EXPECT_EQ(&NextOptionInGroup(form_, a1, false), &a0);  // wraps, not to optB
  EXPECT_EQ(&NextOptionInGroup(form_, a0, true), &a1);
  form_.Get("optA", 1).SetEnabled(false);
  EXPECT_EQ(&NextOptionInGroup(form_, a0, false), &a0);  // alone now
}

}  // namespace
}  // namespace zolt::ui
