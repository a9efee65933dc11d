// SPDX-License-Identifier: GPL-3.0-or-later
#include "fluid/FluidAudioRenderer.h"

#include <fcntl.h>
#include <fluidsynth.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "base/Sjis.h"
#include "fluid/FluidLog.h"
#include "fluid/FluidSequencer.h"
#include "resources/ExportTexts.h"
#include "resources/SequencerTexts.h"

namespace tabrella::fluid {

using platform::AudioFormat;
using platform::IProgress;

namespace {

struct SettingsDeleter {
    void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct SynthDeleter {
    void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};
struct PlayerDeleter {
    void operator()(fluid_player_t* p) const { delete_fluid_player(p); }
};
struct SoundFileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

// The file libsndfile writes through, keeping the system's reason of the first failed
// write: libsndfile's Vorbis encoder loses it and says only "Unspecified internal error".
class DiskFile {
  public:
    explicit DiskFile(const std::string& nativePath)
        : m_fd(::open(nativePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {
        if (m_fd < 0) m_error = errno;
    }
    ~DiskFile() { Close(); }
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    // Closes now, keeping a delayed write error; false when one was kept.
    bool Close() {
        if (m_fd >= 0 && ::close(m_fd) != 0 && m_error == 0) m_error = errno;
        m_fd = -1;
        return m_error == 0;
    }
    // The system's reason of the first failure, or libsndfile's when the system gave none.
    std::string Reason(SNDFILE* file) const {
        return Utf8ToSjis(m_error ? std::strerror(m_error) : sf_strerror(file));
    }

    static SF_VIRTUAL_IO Io() {
        SF_VIRTUAL_IO io{};
        io.get_filelen = [](void* self) -> sf_count_t {
            struct stat st {};
            return ::fstat(Of(self).m_fd, &st) == 0 ? st.st_size : -1;
        };
        io.seek = [](sf_count_t offset, int whence, void* self) -> sf_count_t {
            return ::lseek(Of(self).m_fd, offset, whence);
        };
        io.read = [](void*, sf_count_t, void*) -> sf_count_t { return 0; };
        io.write = [](const void* bytes, sf_count_t count, void* self) -> sf_count_t {
            return Of(self).Write(static_cast<const char*>(bytes), count);
        };
        io.tell = [](void* self) -> sf_count_t { return ::lseek(Of(self).m_fd, 0, SEEK_CUR); };
        return io;
    }

  private:
    static DiskFile& Of(void* self) { return *static_cast<DiskFile*>(self); }
    sf_count_t Write(const char* bytes, sf_count_t count) {
        sf_count_t done = 0;
        while (done < count) {
            const ssize_t n = ::write(m_fd, bytes + done, static_cast<size_t>(count - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (m_error == 0) m_error = n < 0 ? errno : ENOSPC;
                break;
            }
            done += n;
        }
        return done;
    }

    int m_fd;
    int m_error = 0;
};

// A new file opened as FluidSynth's file renderer opens it with the format "s16": 16-bit
// PCM (Vorbis in the Ogg container), the synthesizer's float samples clipped by libsndfile.
SoundFile OpenSoundFile(DiskFile& disk, AudioFormat format) {
    SF_INFO info{};
    info.samplerate = FluidAudioRenderer::kSampleRate;
    info.channels = 2;
    switch (format) {
        case AudioFormat::Flac:
            info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
            break;
        case AudioFormat::OggVorbis:
            info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
            break;
        case AudioFormat::Wav:
            info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
            break;
    }
    if (!disk.IsOpen()) return nullptr;
    SF_VIRTUAL_IO io = DiskFile::Io();
    SoundFile file(sf_open_virtual(&io, SFM_WRITE, &info, &disk));
    if (file) {
        sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
        sf_command(file.get(), SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    }
    return file;
}

// Writes rendered blocks on a thread of its own, so that converting, encoding (FLAC and
// Vorbis take longer than the synthesis) and the disk overlap the rendering of the next
// blocks. A few blocks circulate: the renderer fills a free one and queues it, the thread
// writes the oldest queued one and frees it.
class BlockWriter {
  public:
    BlockWriter(SNDFILE* file, int frames) : m_file(file), m_frames(frames) {
        for (std::vector<float>& block : m_blocks) block.resize(2 * std::size_t(frames));
        m_thread = std::thread([this] { Run(); });
    }
    ~BlockWriter() { Stop(false); }
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;

    // Room for one block of interleaved stereo frames, to be queued by Queue(); waits while
    // every block is queued. Null once a write has failed.
    float* Free() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queued < kBlocks || m_failed; });
        return m_failed ? nullptr : m_blocks[(m_oldest + m_queued) % kBlocks].data();
    }
    void Queue() {
        {
            std::lock_guard lock(m_mutex);
            ++m_queued;
        }
        m_changed.notify_all();
    }
    // Writes what is queued and ends the thread; false when a write failed.
    bool Finish() { return Stop(true); }

  private:
    static constexpr int kBlocks = 4;

    bool Stop(bool writeQueued) {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
            m_writeQueued = writeQueued;
        }
        m_changed.notify_all();
        if (m_thread.joinable()) m_thread.join();
        return !m_failed;
    }

    void Run() {
        std::unique_lock lock(m_mutex);
        while (!m_failed) {
            m_changed.wait(lock, [this] { return m_queued > 0 || m_stopping; });
            if (m_queued == 0 || (m_stopping && !m_writeQueued)) return;
            const float* block = m_blocks[m_oldest].data();
            lock.unlock();
            const bool written = sf_writef_float(m_file, block, m_frames) == m_frames;
            lock.lock();
            m_failed = !written;
            m_oldest = (m_oldest + 1) % kBlocks;
            --m_queued;
            m_changed.notify_all();
        }
    }

    SNDFILE* const m_file;
    const sf_count_t m_frames;
    std::array<std::vector<float>, kBlocks> m_blocks;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_oldest = 0;  // the next block to write
    int m_queued = 0;
    bool m_stopping = false;
    bool m_writeQueued = false;
    bool m_failed = false;
    std::thread m_thread;
};

// A sequencer text with FluidSynth's reason after it.
std::string Reason(res::SeqTxt text, const std::string& detailUtf8) {
    return res::Sjis(text) + Utf8ToSjis(detailUtf8);
}

// The level the loudest sample is brought to: -1 dBFS, a decibel below clipping, which
// leaves room for the encoders' rounding. A nearly silent score is not raised without end.
constexpr float kPeakTarget = 0.891f;
constexpr float kMostGain = 100;

// One run of the music through a synthesizer set up as playback's.
class Pass {
  public:
    // Null when it plays; else the reason, Shift-JIS.
    std::optional<std::string> Open(std::string_view midi) {
        m_settings.reset(new_fluid_settings());
        if (!m_settings) return Reason(res::SeqTxt::SynthFailed, TakeLastError());
        fluid_settings_t* s = m_settings.get();
        fluid_settings_setnum(s, "synth.sample-rate", FluidAudioRenderer::kSampleRate);
        fluid_settings_setint(s, "synth.dynamic-sample-loading", 1);
        fluid_settings_setstr(s, "player.timing-source", "sample");
        m_synth.reset(new_fluid_synth(s));
        if (!m_synth) return Reason(res::SeqTxt::SynthFailed, TakeLastError());

        // The sound font playback finds.
        const std::string font = FluidSequencer::FindSoundFont();
        if (font.empty()) return res::Sjis(res::SeqTxt::SoundFontMissing);
        if (!fluid_is_soundfont(font.c_str()) ||
            fluid_synth_sfload(m_synth.get(), font.c_str(), 1) == FLUID_FAILED) {
            return Reason(res::SeqTxt::SoundFontUnreadable, font);
        }

        // The MIDI bytes, played on the rendered samples' clock.
        m_player.reset(new_fluid_player(m_synth.get()));
        if (!m_player ||
            fluid_player_add_mem(m_player.get(), midi.data(), midi.size()) != FLUID_OK) {
            return Reason(res::SeqTxt::MidiFileUnreadable, TakeLastError());
        }
        return std::nullopt;
    }

    std::optional<std::string> Play() {
        if (fluid_player_play(m_player.get()) != FLUID_OK) {
            return Reason(res::SeqTxt::PlayFailed, TakeLastError());
        }
        return std::nullopt;
    }

    // True while the music has ticks to come (the player itself idles two seconds longer).
    // The total is known once the first block has loaded the file; asking again walks every
    // event of every track, on each block.
    bool Music(int& tick, int& total) {
        if (m_total == 0) m_total = fluid_player_get_total_ticks(m_player.get());
        tick = fluid_player_get_current_tick(m_player.get());
        total = m_total;
        return fluid_player_get_status(m_player.get()) == FLUID_PLAYER_PLAYING &&
               !(m_total > 0 && tick >= m_total);
    }
    bool Ringing() const { return fluid_synth_get_active_voice_count(m_synth.get()) != 0; }
    void Render(float* frames) {
        fluid_synth_write_float(m_synth.get(), FluidAudioRenderer::kBlockFrames, frames, 0, 2,
                                frames, 1, 2);
    }

  private:
    std::unique_ptr<fluid_settings_t, SettingsDeleter> m_settings;
    std::unique_ptr<fluid_synth_t, SynthDeleter> m_synth;
    std::unique_ptr<fluid_player_t, PlayerDeleter> m_player;
    int m_total = 0;
};

// The rendered music while its loudest sample is not yet known: a file without a name beside
// the target (else in the temporary folder), which the system removes however the program
// ends. A write that fails (the disk full) makes it unusable, never the export.
class Spill {
  public:
    explicit Spill(const std::string& nativePath) {
        const std::size_t slash = nativePath.rfind('/');
        const char* tmp = std::getenv("TMPDIR");
        for (const std::string& dir :
             {slash == std::string::npos ? std::string(".") : nativePath.substr(0, slash + 1),
              std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp")}) {
            m_fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
            if (m_fd >= 0) return;
        }
    }
    ~Spill() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Spill(const Spill&) = delete;
    Spill& operator=(const Spill&) = delete;

    void Write(const float* samples, std::size_t count) {
        if (m_fd < 0 || m_failed) return;
        m_failed = !Whole(::write, m_fd, const_cast<float*>(samples), count);
        m_written += count;
    }
    // True when everything written can now be read from the start.
    bool Rewind() { return m_fd >= 0 && !m_failed && ::lseek(m_fd, 0, SEEK_SET) == 0; }
    long Blocks(std::size_t blockSamples) const {
        return static_cast<long>(m_written / blockSamples);
    }
    bool Read(float* samples, std::size_t count) { return Whole(::read, m_fd, samples, count); }

  private:
    // The whole of `count` samples moved, through short transfers and interruptions.
    template <typename Transfer>
    static bool Whole(Transfer transfer, int fd, float* samples, std::size_t count) {
        char* at = reinterpret_cast<char*>(samples);
        std::size_t left = count * sizeof(float);
        while (left > 0) {
            const ssize_t moved = transfer(fd, at, left);
            if (moved < 0 && errno == EINTR) continue;
            if (moved <= 0) return false;
            at += moved;
            left -= static_cast<std::size_t>(moved);
        }
        return true;
    }

    int m_fd = -1;
    bool m_failed = false;
    std::size_t m_written = 0;
};

}  // namespace

FluidAudioRenderer::FluidAudioRenderer() {
    SilenceLibraries();
}

std::optional<std::string> FluidAudioRenderer::Render(std::string_view midi,
                                                      const std::string& nativePath,
                                                      AudioFormat format, IProgress& progress) {
    TakeLastError();
    constexpr std::size_t kBlockSamples = 2 * std::size_t{kBlockFrames};
    // 1. The music is played once to find its loudest sample, and kept as it plays in a
    // spill file; every sample is then raised by one gain into the file: a level like other
    // renderers', never clipped. Where the spill cannot be written (its folder full), the
    // music is played a second time instead: the synthesizer plays the same samples each
    // time. Each step is half the progress.
    float peak = 0;
    Spill spill(nativePath);
    {
        Pass measure;
        if (std::optional<std::string> error = measure.Open(midi)) return error;
        if (std::optional<std::string> error = measure.Play()) return error;
        std::vector<float> frames(kBlockSamples);
        const auto block = [&] {
            measure.Render(frames.data());
            for (const float x : frames) peak = std::max(peak, std::fabs(x));
            spill.Write(frames.data(), kBlockSamples);
        };
        int tick = 0, total = 0;
        while (measure.Music(tick, total)) {
            block();
            if (!progress.Continue(tick / 2, total)) return res::Sjis(res::ExportTxt::Cancelled);
        }
        for (int tail = 0; tail < kLongestTailFrames && measure.Ringing(); tail += kBlockFrames) {
            block();
        }
    }
    const float gain = peak > 0 ? std::min(kPeakTarget / peak, kMostGain) : 1.0f;
    const long spilled = spill.Rewind() ? spill.Blocks(kBlockSamples) : -1;

    Pass pass;
    if (spilled < 0) {
        if (std::optional<std::string> error = pass.Open(midi)) return error;
    }

    // 2. The target. The disk file outlives the sound file that writes through it.
    DiskFile disk(nativePath);
    SoundFile file = OpenSoundFile(disk, format);
    if (!file) return disk.Reason(nullptr);

    // 3. Blocks until the music's last tick, then until the last note has died away.
    BlockWriter writer(file.get(), kBlockFrames);
    const auto writeBlock = [&](const auto& fill) {
        float* frames = writer.Free();
        if (frames == nullptr) return false;
        fill(frames);
        for (float* x = frames; x != frames + kBlockSamples; ++x) *x *= gain;
        writer.Queue();
        return true;
    };
    if (spilled >= 0) {
        for (long b = 0; b < spilled; ++b) {
            bool read = true;
            if (!writeBlock([&](float* frames) { read = spill.Read(frames, kBlockSamples); })) {
                return disk.Reason(file.get());
            }
            // The spill was written whole; it can fail to read back only with the disk.
            if (!read) return disk.Reason(file.get());
            if (!progress.Continue(spilled + b, 2 * spilled)) {
                return res::Sjis(res::ExportTxt::Cancelled);
            }
        }
    } else {
        if (std::optional<std::string> error = pass.Play()) return error;
        const auto render = [&](float* frames) { pass.Render(frames); };
        int tick = 0, total = 0;
        while (pass.Music(tick, total)) {
            if (!writeBlock(render)) return disk.Reason(file.get());
            if (!progress.Continue(total / 2 + tick / 2, total)) {
                return res::Sjis(res::ExportTxt::Cancelled);
            }
        }
        for (int tail = 0; tail < kLongestTailFrames && pass.Ringing(); tail += kBlockFrames) {
            if (!writeBlock(render)) return disk.Reason(file.get());
        }
    }

    // 4. The last blocks written, and the header (WAV) or the last pages (FLAC, Ogg).
    if (!writer.Finish()) return disk.Reason(file.get());
    const int error = sf_close(file.release());
    if (!disk.Close()) return disk.Reason(nullptr);
    if (error != SF_ERR_NO_ERROR) return Utf8ToSjis(sf_error_number(error));
    return std::nullopt;
}

}  // namespace tabrella::fluid
