// SPDX-License-Identifier: GPL-3.0-or-later
// The audio export: the bytes of the MIDI export, rendered into a WAV, FLAC or Ogg Vorbis
// file by the platform's synthesizer.
#include <sstream>

#include "base/AtomicFile.h"
#include "resources/ExportTexts.h"
#include "score/CTabrellaView.h"
#include "sound/ExportNames.h"

namespace tabrella {
namespace {

std::optional<platform::AudioFormat> AudioFormatOf(const std::string& extension) {
    if (extension == "wav") return platform::AudioFormat::Wav;
    if (extension == "flac") return platform::AudioFormat::Flac;
    if (extension == "ogg" || extension == "oga") return platform::AudioFormat::OggVorbis;
    return std::nullopt;
}

// Passes the progress on and remembers whether it stopped the task.
class StopWatch : public platform::IProgress {
  public:
    explicit StopWatch(platform::IProgress& inner) : m_inner(inner) {}
    bool Continue(long done, long total) override {
        if (!m_inner.Continue(done, total)) m_stopped = true;
        return !m_stopped;
    }
    bool Stopped() const { return m_stopped; }

  private:
    platform::IProgress& m_inner;
    bool m_stopped = false;
};

}  // namespace

void CTabrellaView::OnAudioExport() {
    platform::FileDialogRequest request;
    request.save = true;
    request.filters = {{res::Sjis(res::ExportTxt::WavFilterLabel), "*.wav"},
                       {res::Sjis(res::ExportTxt::FlacFilterLabel), "*.flac"},
                       {res::Sjis(res::ExportTxt::OggFilterLabel), "*.ogg"}};
    request.defaultExtension = "wav";
    request.initialName = m_title + ".wav";
    request.confirmOverwrite = true;
    const std::optional<std::string> path = AskExportPath(m_services.dialogs, request);
    if (!path) return;
    std::unique_ptr<platform::IProgress> progress =
        m_services.dialogs.ShowProgress(res::Sjis(res::ExportTxt::RenderingAudio));
    StopWatch watch(*progress);
    const std::optional<FileError> error = ExportAudio(*path, watch);
    progress.reset();
    // A render the user stopped is no failure to report.
    if (error && !watch.Stopped()) ShowExportError(m_services.dialogs, *error);
    if (!error) m_services.window.ReportWritten(*path);
}

std::optional<FileError> CTabrellaView::ExportAudio(const std::string& path,
                                                    platform::IProgress& progress) const {
    const std::optional<platform::AudioFormat> format = AudioFormatOf(LowerExtension(path));
    if (!format) return FileError{path, FileFault::UnknownAudioType};
    if (!m_services.audio) return FileError{path, FileFault::NoAudioRenderer};
    std::ostringstream midi;
    if (!WriteMidiStream(midi, 1, ExportEndCell())) return FileError{path, FileFault::MidiFailed};

    // The synthesizer writes a file by name: a new one beside the target, which takes the
    // target's place only once the render is complete.
    PendingFile file;
    if (std::optional<FileError> error = file.Create(path)) return error;
    StopWatch watch(progress);
    if (const std::optional<std::string> reason =
            m_services.audio->Render(midi.str(), file.NativePath(), *format, watch)) {
        if (watch.Stopped()) return FileError{path, FileFault::Cancelled};
        return ForeignFileError(path, *reason);
    }
    // A stop asked for while the last notes died away still keeps the old file.
    if (!watch.Continue(1, 1)) return FileError{path, FileFault::Cancelled};
    return file.Commit();
}

}  // namespace tabrella
