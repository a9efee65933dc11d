// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fakes of the view's window and of the sequencer: controllable client size, scroll bars
// and timers; every surface handed out records into a log.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Sequencer.h"
#include "platform/ViewWindow.h"
#include "support/RecordingSurface.h"

namespace tabrella::test {

class FakeWindow : public platform::IViewWindow {
  public:
    // What the last immediate surfaces drew; an erasing surface starts a new picture.
    DrawLog immediate;
    int invalidations = 0;
    int surfacesTaken = 0;
    platform::ClientSize client{800, 600};
    std::map<int, int> timers;  // id -> interval of running timers
    std::string caption;
    std::vector<std::string> written;  // the files exports said they wrote
    int closeRequests = 0;
    int helpShown = 0;
    std::vector<platform::PrintJob> printJobs;
    int aboutShown = 0;
    platform::ScrollInfo vBar{}, hBar{};

    void Invalidate() override { ++invalidations; }
    std::unique_ptr<platform::IDrawSurface> GetSurface(bool erase) override;
    platform::ClientSize GetClientSize() const override { return client; }
    void SetScrollRange(platform::ScrollBar bar, int min, int max, int page) override;
    platform::ScrollInfo GetScrollInfo(platform::ScrollBar bar) const override;
    void SetScrollPos(platform::ScrollBar bar, int pos) override;
    void SetTimer(int id, int intervalMs) override { timers[id] = intervalMs; }
    void KillTimer(int id) override { timers.erase(id); }
    void SetCaption(std::string_view sjis) override { caption = std::string(sjis); }
    void SetPathCaption(std::string_view path) override { caption = std::string(path); }
    void CloseMainWindow() override { ++closeRequests; }
    void ShowHelp() override { ++helpShown; }
    void RunPrintJob(platform::PrintJob job, const platform::PrintPages& pages) override;
    void ShowAbout() override { ++aboutShown; }
    void ReportWritten(std::string_view path) override { written.emplace_back(path); }

    bool TimerRunning(int id) const { return timers.count(id) != 0; }
    // The first page printed by the last print or preview job, and every page of it (all
    // pages, as the print dialog offers by default); `current` is the page the screen shows.
    DrawLog printed;
    std::vector<DrawLog> printedPages;
    DrawLog current;

  private:
    platform::ScrollInfo& Bar(platform::ScrollBar bar);
};

// Records every call; error codes for each operation can be set beforehand.
class FakeSequencer : public platform::ISequencer {
  public:
    struct Call {
        std::string op;  // "open", "loop", "play", "stop", "close", "preview"
        platform::DeviceId device = 0;
        std::string path;
        std::string fileBytes;  // for "open": the file's contents at that moment; the preview's
        bool fileExisted = false;
    };
    std::vector<Call> calls;
    // Runs after each call is recorded, to look at the world at that moment.
    std::function<void(const Call&)> onCall;
    platform::SeqError openError = 0, playError = 0, stopError = 0, closeError = 0, loopError = 0;

    platform::SeqError Open(std::string_view midiPath, platform::DeviceId& device) override;
    platform::SeqError Play(platform::DeviceId device) override;
    // Recorded as "loop" when turned on, "once" when turned off.
    platform::SeqError SetLooping(platform::DeviceId device, bool loop) override;
    platform::SeqError Stop(platform::DeviceId device) override;
    platform::SeqError Close(platform::DeviceId device) override;
    std::string ErrorText(platform::SeqError code) override;
    void Preview(std::string_view midi) override;

  private:
    platform::SeqError Record(Call call, platform::SeqError result);
    platform::DeviceId m_nextDevice = 1;
};

}  // namespace tabrella::test
