// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakePlatform.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace tabrella::test {

std::unique_ptr<platform::IDrawSurface> FakeWindow::GetSurface(bool erase) {
    ++surfacesTaken;
    if (erase) immediate.Clear();
    return std::make_unique<RecordingSurface>(immediate);
}

platform::ScrollInfo& FakeWindow::Bar(platform::ScrollBar bar) {
    return bar == platform::ScrollBar::Vertical ? vBar : hBar;
}

void FakeWindow::SetScrollRange(platform::ScrollBar bar, int min, int max, int page) {
    platform::ScrollInfo& info = Bar(bar);
    info.min = min;
    info.max = max;
    info.page = page;
}

platform::ScrollInfo FakeWindow::GetScrollInfo(platform::ScrollBar bar) const {
    return bar == platform::ScrollBar::Vertical ? vBar : hBar;
}

void FakeWindow::SetScrollPos(platform::ScrollBar bar, int pos) {
    // Like a real scroll bar, the shown position stays within the range.
    platform::ScrollInfo& info = Bar(bar);
    const int top = std::max(info.min, info.max - std::max(info.page - 1, 0));
    info.pos = std::clamp(pos, info.min, top);
}

void FakeWindow::RunPrintJob(platform::PrintJob job, const platform::PrintPages& pages) {
    printJobs.push_back(job);
    if (job == platform::PrintJob::Setup) return;
    printedPages.assign(static_cast<size_t>(pages.count), DrawLog{});
    for (int page = 1; page <= pages.count; ++page) {
        RecordingSurface printer(printedPages[static_cast<size_t>(page - 1)], true);
        pages.draw(printer, page);
    }
    printed = printedPages.empty() ? DrawLog{} : printedPages.front();
    current.Clear();
    RecordingSurface printer(current, true);
    pages.draw(printer, 0);
}

platform::SeqError FakeSequencer::Open(std::string_view midiPath, platform::DeviceId& device) {
    Call call{"open", 0, std::string(midiPath)};
    std::ifstream in(call.path, std::ios::binary);
    if (in) {
        std::ostringstream bytes;
        bytes << in.rdbuf();
        call.fileBytes = bytes.str();
        call.fileExisted = true;
    }
    if (openError == 0) {
        device = m_nextDevice++;
        call.device = device;
    }
    return Record(call, openError);
}

platform::SeqError FakeSequencer::Play(platform::DeviceId device) {
    return Record({"play", device}, playError);
}

platform::SeqError FakeSequencer::SetLooping(platform::DeviceId device, bool loop) {
    return Record({loop ? "loop" : "once", device}, loopError);
}

platform::SeqError FakeSequencer::Stop(platform::DeviceId device) {
    return Record({"stop", device}, stopError);
}

platform::SeqError FakeSequencer::Close(platform::DeviceId device) {
    return Record({"close", device}, closeError);
}

void FakeSequencer::Preview(std::string_view midi) {
    Record({"preview", 0, {}, std::string(midi)}, 0);
}

platform::SeqError FakeSequencer::Record(Call call, platform::SeqError result) {
    calls.push_back(call);
    if (onCall) onCall(calls.back());
    return result;
}

std::string FakeSequencer::ErrorText(platform::SeqError code) {
    return "sequencer error " + std::to_string(code);
}

}  // namespace tabrella::test
