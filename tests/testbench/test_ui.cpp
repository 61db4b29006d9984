// SPDX-License-Identifier: MIT
#include "test_ui.h"

#include <gtest/gtest.h>

#include "core/headless_dialog.h"

namespace benchtest {

int CRecordingLog::GetLineCount() {
    int lines = 1;
    for (char c : text_)
        lines += c == '\n';
    // A text that ends with a line end has an empty last line, as an edit control counts.
    return lines;
}

std::vector<std::string> CTestWindow::Lines() const {
    std::vector<std::string> lines;
    const std::string& log = view.m_strLog;
    std::size_t start = 0, end;
    while ((end = log.find("\r\n", start)) != std::string::npos) {
        lines.push_back(log.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

CDialogScript& CDialogScript::Set(int control, std::string value) {
    steps_.push_back({Step::Set, control, std::move(value)});
    return *this;
}
CDialogScript& CDialogScript::Ok() {
    steps_.push_back({Step::Ok, 0, {}});
    return *this;
}
CDialogScript& CDialogScript::Button(int control) {
    steps_.push_back({Step::Button, control, {}});
    return *this;
}
CDialogScript& CDialogScript::Cancel() {
    steps_.push_back({Step::Cancel, 0, {}});
    return *this;
}

CDialogScript& CTestUi::Expect(int dialogId) {
    scripts_.emplace_back(dialogId);
    return scripts_.back();
}

void CTestUi::QueueTicks(std::vector<std::uint32_t> ticks) {
    ticks_.insert(ticks_.end(), ticks.begin(), ticks.end());
}

namespace {
std::map<int, std::string> Snapshot(brisel::CHeadlessDialog& host, const brisel::CDialog& dialog) {
    std::map<int, std::string> controls;
    for (const auto& c : dialog.Layout().controls)
        if (c.kind != brisel::ControlKind::Static && c.kind != brisel::ControlKind::Icon &&
            c.kind != brisel::ControlKind::Browse)
            controls[c.id] = host.Control(c.id);
    return controls;
}
}  // namespace

bool CTestUi::DoModal(brisel::CDialog& dialog) {
    CShownDialog shown{dialog.Id(), dialog.Title(), {}, {}, {}, false};
    if (scripts_.empty()) {
        ADD_FAILURE() << "dialog " << dialog.Id() << " shown without a script";
        dialogs.push_back(shown);
        return false;
    }
    CDialogScript script = scripts_.front();
    scripts_.pop_front();
    EXPECT_EQ(script.DialogId(), dialog.Id()) << "unexpected dialog";

    brisel::CHeadlessDialog host(dialog, *this);
    host.Open();
    shown.opened = Snapshot(host, dialog);
    shown.listItems = host.ListItems();
    for (const auto& step : script.Steps()) {
        switch (step.kind) {
            case CDialogScript::Step::Set:
                host.Control(step.control) = step.value;
                break;
            case CDialogScript::Step::Button:
                host.PressButton(step.control);
                break;
            case CDialogScript::Step::Ok:
                shown.accepted = host.PressOK();
                shown.afterOk.push_back(Snapshot(host, dialog));
                break;
            case CDialogScript::Step::Cancel:
                break;
        }
        if (shown.accepted || step.kind == CDialogScript::Step::Cancel) break;
    }
    shown.refills = host.Refills();
    dialogs.push_back(shown);
    return shown.accepted;
}

std::optional<std::string> CTestUi::ChooseFileToOpen(const std::string& initialName) {
    fileOpenRequests.push_back(initialName);
    if (fileAnswers_.empty()) return std::nullopt;
    auto answer = fileAnswers_.front();
    fileAnswers_.pop_front();
    return answer;
}

void CTestUi::MessageBox(const std::string& text, const std::string& caption) {
    messageBoxes.emplace_back(text, caption);
}

void CTestUi::BeginWaitCursor() {
    ++waitDepth;
    ++waitBegins;
}

void CTestUi::EndWaitCursor() {
    EXPECT_GT(waitDepth, 0) << "wait cursor ended more often than begun";
    --waitDepth;
}

void CTestUi::SetWindowTitle(brisel::CBrisel32Doc& doc, const std::string& title) {
    doc.SetTitle(title);
    titles[&doc] = title;
}

std::uint32_t CTestUi::TickCount() {
    if (ticks_.empty()) return brisel::SteadyTickCount();
    std::uint32_t t = ticks_.front();
    ticks_.pop_front();
    return t;
}

}  // namespace benchtest

#include "core/commands.h"

namespace benchtest {

brisel::CBrisel32Doc& CTestBench::NewDocument() {
    docs_.push_back(std::make_unique<brisel::CBrisel32Doc>());
    docs_.back()->SetTitle("Dovrel" + std::to_string(docs_.size()));
    NewWindow(*docs_.back());
    return *docs_.back();
}

CTestWindow& CTestBench::NewWindow(brisel::CBrisel32Doc& doc) {
    windows_.push_back(std::make_unique<CTestWindow>(doc));
    Activate(*windows_.back());
    return *windows_.back();
}

void CTestBench::Activate(CTestWindow& window) {
    active_ = &window;
    ListWindows();
}

void CTestBench::ListWindows() {
    ui.windows.clear();
    ui.windows.push_back(&active_->view.GetDocument());
    for (const auto& w : windows_)
        if (w.get() != active_) ui.windows.push_back(&w->view.GetDocument());
}

void CTestBench::Run(int commandId) {
    brisel::CCommandContext context{ui, Doc(), active_->view};
    EXPECT_TRUE(brisel::RunCommand(commandId, context)) << "no command " << commandId;
    EXPECT_EQ(ui.waitDepth, 0) << "command " << commandId << " left the wait cursor on";
}

std::string CTestBench::LastLine() const {
    auto lines = Lines();
    return lines.empty() ? std::string() : lines.back();
}

}  // namespace benchtest
