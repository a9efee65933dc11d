// SPDX-License-Identifier: GPL-3.0-or-later
// The transcription runs in two steps. Listening streams the file a block at a time and
// keeps, per hop of about 12 ms, aubio's pitch, its confidence and the level, and the hops
// where aubio's onset detector fired. Hearing then works on that record alone: the
// recording's tuning against A = 440 Hz, the notes as runs of one pitch split at onsets,
// and the tempo that the gaps between their onsets fit.
#include "exchange/AudioMelody.h"

#include <aubio/aubio.h>
#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <optional>
#include <vector>

namespace tabrella::exchange {
namespace {

using platform::MelodyFault;
using platform::MelodyRead;

constexpr int kTicksPerQuarter = 480;
constexpr int kTicksPerSixteenth = kTicksPerQuarter / 4;
constexpr sf_count_t kBlockFrames = 8192;  // read from the file at once

// Levels in dB of full scale. A recording whose loudest window stays under kSilentDb holds
// nothing to hear; under the loudest by more than kGateRange is silence between notes.
constexpr float kSilentDb = -60;
constexpr float kGateRange = 40;
// The quietest tenth of a recording is its noise floor (or silence): what stands less than
// kAboveFloor dB over it is no note, however loud the noise. A recording with no pause
// at all has no floor to find: the gate stays kLeastRange dB under the loudest.
constexpr float kAboveFloor = 6;
constexpr float kLeastRange = 20;
// aubio's YIN (the FFT form, "yinfast": aubio 0.4.9's "yinfft" reports no confidence).
// YIN takes the shortest period whose dip lies under kYinTolerance; a higher tolerance than
// aubio's 0.15 keeps noise from pushing it to twice the period (an octave low). Above
// kVoiced confidence a hop has a pitch; a note whose median stays under kSure, or lies
// further than kOffKey from its semitone, is reported uncertain. A note with kOctaveShare
// of its hops an octave higher is that octave.
constexpr float kYinTolerance = 0.3F;
constexpr float kVoiced = 0.8F;
constexpr float kSure = 0.85F;
constexpr double kOffKey = 0.3;
constexpr double kOctaveShare = 0.3;
constexpr int kLowestKey = 36;  // C2..C7: a low voice to a flute's top; lower is noise
constexpr int kHighestKey = 96;
// Hops of another pitch or none that a note bridges (a wobble, a breath in the tracker);
// a note shorter than kShortestNote hops is a slide or a click, not a note.
constexpr long kBridge = 3;
constexpr long kShortestNote = 5;
// aubio's onset threshold, lower than its own: every onset it fires is then judged here.
// An onset is an attack when the level rises kLeapRise dB within kLeapHops, or kDipRise
// within kDipHops; attacks closer than kAttackSpacing hops (about 160 ms) are one.
constexpr double kOnsetThreshold = 0.1;
constexpr long kLeapHops = 3;
constexpr float kLeapRise = 8;
// A key struck or plucked again while it still sounds leaps less: where aubio heard the
// change of spectrum as well and the level jumps at once (kStrike dB in one hop, where a
// swell or a flute's tremolo climbs about 1 dB a hop), kHeardLeapRise is enough.
constexpr float kHeardLeapRise = 6;
constexpr float kStrike = 2.5;
// Or where the attack's noise (a hammer, a plectrum, the tongue) shakes the tracker's
// confidence under kSure while the level climbs kStruckRise dB: a flute's tremolo keeps it.
constexpr float kStruckRise = 5;
constexpr long kDipHops = 8;
constexpr float kDipRise = 10;
constexpr long kAttackSpacing = 14;
// An onset belongs to the note whose pitch settles up to this many hops after it.
constexpr long kOnsetLead = 8;
// A sound with no attack of its own that stays kTailDrop dB under the note before is that
// note dying away.
constexpr float kTailDrop = 6;
// The note two before ringing on under the last (through reverb) stands kRingingDrop dB
// under it; played again after a neighbour, it is about as loud.
constexpr float kRingingDrop = 3;
// The tempo: gaps longer than kLongestGap seconds are rests, not beats. The beat's unit
// lies between kShortestUnit and kLongestUnit seconds; the one chosen is the longest that
// kUnitFit of the gaps are whole multiples of, to within kGapSlack of each gap. The note
// value of that unit is the one that puts the tempo in [kSlowest, 2 * kSlowest).
constexpr double kLongestGap = 4.0;
constexpr double kShortestUnit = 0.09;
constexpr double kLongestUnit = 2.0;
constexpr double kUnitFit = 0.75;
constexpr double kGapSlack = 0.12;
constexpr double kSlowest = 60;
constexpr double kUnstatedTempo = 120;  // one note gives no tempo

struct SoundFileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};
struct PitchDeleter {
    void operator()(aubio_pitch_t* p) const { del_aubio_pitch(p); }
};
struct OnsetDeleter {
    void operator()(aubio_onset_t* o) const { del_aubio_onset(o); }
};
struct VectorDeleter {
    void operator()(fvec_t* v) const { del_fvec(v); }
};
using Vector = std::unique_ptr<fvec_t, VectorDeleter>;

// What listening keeps of each hop.
struct Hop {
    float key = 0;  // MIDI key with its fraction; 0 where aubio heard none
    float confidence = 0;
    float level = -200;  // dB over the analysis window
};

struct Record {
    std::vector<Hop> hops;
    std::vector<long> onsets;   // hops where aubio heard an onset, ascending
    std::vector<long> attacks;  // of those (and of the silence gate's), where a note starts
    double hopSeconds = 0;
    double secondsNotRead = 0;
};

// An analysis window of about 46 ms at any rate (2048 samples at 44.1 and 48 kHz): two
// periods of a low voice. Hops of a quarter window.
uint_t WindowFor(int rate) {
    uint_t window = 256;
    while (window < rate * 0.04) window *= 2;
    return window;
}

// 1. Listening: the file a block at a time, mixed to one channel, a hop at a time to aubio.
class Listener {
  public:
    Listener(int rate, Record& record)
        : m_window(WindowFor(rate)),
          m_hop(m_window / 4),
          m_pitch(new_aubio_pitch("yinfast", m_window, m_hop, static_cast<uint_t>(rate))),
          m_onset(new_aubio_onset("specflux", m_window, m_hop, static_cast<uint_t>(rate))),
          m_in(new_fvec(m_hop)),
          m_out(new_fvec(1)),
          m_record(record) {
        record.hopSeconds = static_cast<double>(m_hop) / rate;
        if (!Ready()) return;
        aubio_pitch_set_unit(m_pitch.get(), "midi");
        aubio_pitch_set_tolerance(m_pitch.get(), kYinTolerance);
        // The level is judged here, against the recording's own loudest.
        aubio_pitch_set_silence(m_pitch.get(), -120);
        aubio_onset_set_minioi_ms(m_onset.get(), 60);
        aubio_onset_set_threshold(m_onset.get(), kOnsetThreshold);
        aubio_onset_set_silence(m_onset.get(), kSilentDb);
    }
    bool Ready() const { return m_pitch && m_onset && m_in && m_out; }

    void Add(float sample) {
        m_in->data[m_filled++] = sample;
        if (m_filled == m_hop) Analyse();
    }

  private:
    void Analyse() {
        m_filled = 0;
        double energy = 0;
        for (uint_t i = 0; i < m_hop; ++i) energy += double{m_in->data[i]} * m_in->data[i];
        m_energy[m_count % 4] = energy / m_hop;
        const double window = (m_energy[0] + m_energy[1] + m_energy[2] + m_energy[3]) / 4;
        Hop hop;
        hop.level = static_cast<float>(10 * std::log10(window + 1e-20));
        aubio_pitch_do(m_pitch.get(), m_in.get(), m_out.get());
        hop.key = m_out->data[0];
        hop.confidence = aubio_pitch_get_confidence(m_pitch.get());
        m_record.hops.push_back(hop);
        aubio_onset_do(m_onset.get(), m_in.get(), m_out.get());
        if (m_out->data[0] != 0) {
            // aubio names the onset's sample, its own delay taken off; hop i's window is
            // centred on sample (i + 1) * hop - window / 2.
            const double at = aubio_onset_get_last(m_onset.get()) + m_window / 2.0;
            const long index = std::max(0L, std::lround(at / m_hop) - 1);
            if (m_record.onsets.empty() || index > m_record.onsets.back()) {
                m_record.onsets.push_back(index);
            }
        }
        ++m_count;
    }

    const uint_t m_window, m_hop;
    std::unique_ptr<aubio_pitch_t, PitchDeleter> m_pitch;
    std::unique_ptr<aubio_onset_t, OnsetDeleter> m_onset;
    Vector m_in, m_out;
    Record& m_record;
    uint_t m_filled = 0;
    long m_count = 0;
    double m_energy[4] = {};
};

// The file as a regular file (never a pipe or device, which could block), read by libsndfile.
std::unique_ptr<SNDFILE, SoundFileCloser> OpenAudio(const std::string& path, SF_INFO& info) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    info = SF_INFO{};
    SNDFILE* file = sf_open_fd(fd, SFM_READ, &info, SF_TRUE);
    if (!file) return nullptr;  // libsndfile closed the descriptor
    return std::unique_ptr<SNDFILE, SoundFileCloser>(file);
}

std::optional<MelodyFault> Listen(const std::string& path,
                                  const std::function<bool(long, long)>& progress, Record& record) {
    SF_INFO info{};
    const auto file = OpenAudio(path, info);
    if (!file) return MelodyFault::UnknownKind;
    if (info.channels < 1 || info.channels > 64 || info.samplerate < 4000 ||
        info.samplerate > 768000) {
        return MelodyFault::Unsupported;
    }
    Listener listener(info.samplerate, record);
    if (!listener.Ready()) return MelodyFault::Unsupported;
    const auto limit = static_cast<sf_count_t>(kMaxRecordingSeconds * info.samplerate);
    const sf_count_t total = std::min(info.frames, limit);
    record.secondsNotRead = static_cast<double>(info.frames - total) / info.samplerate;
    record.hops.reserve(static_cast<std::size_t>(total / (WindowFor(info.samplerate) / 4) + 1));
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames * info.channels));
    sf_count_t done = 0;
    while (done < total) {
        if (progress && !progress(static_cast<long>(done), static_cast<long>(total))) {
            return MelodyFault::Stopped;
        }
        const sf_count_t read =
            sf_readf_float(file.get(), block.data(), std::min(kBlockFrames, total - done));
        if (read <= 0) break;  // a file cut short gives what it holds
        for (sf_count_t f = 0; f < read; ++f) {
            float sum = 0;
            for (int c = 0; c < info.channels; ++c) sum += block[f * info.channels + c];
            // A float file may hold anything: what is not a number is silence, and no
            // sample is louder than the hop's energy can hold.
            const float sample = sum / static_cast<float>(info.channels);
            listener.Add(std::isfinite(sample) ? std::clamp(sample, -8.0F, 8.0F) : 0.0F);
        }
        done += read;
    }
    if (progress && !progress(static_cast<long>(done), static_cast<long>(total))) {
        return MelodyFault::Stopped;
    }
    return std::nullopt;
}

// 2. Hearing.

struct Note {
    long first = 0, last = 0;  // hops
    int key = 0;
    bool onset = false;  // an onset was heard at its start
    double start = 0;    // seconds
    float peak = -200;   // its loudest hop, dB
    bool uncertain = false;
};

double Median(std::vector<float> values) {
    if (values.empty()) return 0;
    const auto middle = values.begin() + static_cast<long>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// How far the recording stands from equal temperament at A = 440 Hz, in semitones
// (-0.5..0.5): the circular mean of every sure hop's distance from its nearest semitone,
// so that a recording a quarter tone off does not split between two neighbours.
double TuningOffset(const Record& r, float gate) {
    double x = 0, y = 0;
    for (const Hop& h : r.hops) {
        if (h.level < gate || h.confidence < kSure || h.key <= 0) continue;
        const double angle = 2 * std::numbers::pi * (h.key - std::round(h.key));
        x += std::cos(angle) * h.confidence;
        y += std::sin(angle) * h.confidence;
    }
    return x == 0 && y == 0 ? 0 : std::atan2(y, x) / (2 * std::numbers::pi);
}

// Each hop's semitone after the offset, 0 where nothing is voiced; smoothed by the median
// of its voiced neighbours, so that a hop an octave off does not split a note.
std::vector<int> KeysOf(const Record& r, float gate, double offset) {
    std::vector<int> raw(r.hops.size());
    for (std::size_t i = 0; i < r.hops.size(); ++i) {
        const Hop& h = r.hops[i];
        const bool voiced = h.level >= gate && h.confidence >= kVoiced && h.key > 0;
        raw[i] = voiced ? static_cast<int>(std::lround(h.key - offset)) : 0;
    }
    std::vector<int> keys(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == 0) continue;
        std::vector<float> near;
        for (std::size_t j = i >= 2 ? i - 2 : 0; j <= i + 2 && j < raw.size(); ++j) {
            if (raw[j] != 0) near.push_back(static_cast<float>(raw[j]));
        }
        keys[i] = static_cast<int>(Median(near));
    }
    return keys;
}

// The level's rise at hop `o`: from the quietest of the `span` hops before to the loudest of
// the `span` from it on.
float RiseAt(const Record& r, long o, long span) {
    const long n = static_cast<long>(r.hops.size());
    float before = 0, after = -200;
    for (long i = std::max(0L, o - span); i < o; ++i) {
        before = std::min(before, r.hops[static_cast<std::size_t>(i)].level);
    }
    for (long i = o; i < std::min(n, o + span + 1); ++i) {
        after = std::max(after, r.hops[static_cast<std::size_t>(i)].level);
    }
    return after - before;
}

// The level's steepest rise from one hop to the next around hop `o`.
float SteepestAt(const Record& r, long o) {
    const long n = static_cast<long>(r.hops.size());
    float steepest = 0;
    for (long i = std::max(1L, o); i < std::min(n, o + kLeapHops + 1); ++i) {
        steepest = std::max(steepest, r.hops[static_cast<std::size_t>(i)].level -
                                          r.hops[static_cast<std::size_t>(i - 1)].level);
    }
    return steepest;
}

// The tracker's least confidence over the first hops from `o`.
float LeastSureAt(const Record& r, long o) {
    const long n = static_cast<long>(r.hops.size());
    float least = 1;
    for (long i = o; i < std::min(n, o + kLeapHops + 1); ++i) {
        least = std::min(least, r.hops[static_cast<std::size_t>(i)].confidence);
    }
    return least;
}

// The onsets that are attacks: the level leaps (a pluck, a struck key) or climbs out of a
// deep dip (a note tongued or sung again). The detector also fires inside a note whose
// sound swells and fades (a flute's tremolo, FluidSynth's koto about 0.2 s after each
// pluck), and twice on a slow attack; those must not part it. The silence gate adds the
// notes it hears start again after a brief gap, where the detector missed them (it can
// on a note cut short and struck again at once).
std::vector<long> AttacksOf(const Record& r) {
    // Each candidate with whether aubio heard it (the level alone proposes the others).
    std::vector<std::pair<long, bool>> candidates;
    for (long o : r.onsets) candidates.emplace_back(o, true);
    for (long i = 1; i + 1 < static_cast<long>(r.hops.size()); ++i) {
        const float level = r.hops[static_cast<std::size_t>(i)].level;
        if (level <= r.hops[static_cast<std::size_t>(i - 1)].level &&
            level < r.hops[static_cast<std::size_t>(i + 1)].level &&
            RiseAt(r, i + 1, kLeapHops) >= kLeapRise && RiseAt(r, i + 1, kDipHops) >= kDipRise) {
            candidates.emplace_back(i + 1, false);
        }
    }
    // The detector can fire on the fading note's last change of timbre (a damper, a breath)
    // a few hops before the level turns: the attack is where it starts to rise.
    const long n = static_cast<long>(r.hops.size());
    for (auto& [o, heard] : candidates) {
        while (o + 1 < n && r.hops[static_cast<std::size_t>(o + 1)].level <=
                                r.hops[static_cast<std::size_t>(o)].level) {
            ++o;
        }
    }
    std::sort(candidates.begin(), candidates.end());
    std::vector<long> attacks;
    for (const auto& [o, heard] : candidates) {
        if (!attacks.empty() && o - attacks.back() < kAttackSpacing) continue;
        const float leap = RiseAt(r, o, kLeapHops);
        if (leap >= kLeapRise || (heard && leap >= kHeardLeapRise && SteepestAt(r, o) >= kStrike) ||
            (heard && RiseAt(r, o, kDipHops) >= kStruckRise && LeastSureAt(r, o) < kSure) ||
            RiseAt(r, o, kDipHops) >= kDipRise) {
            attacks.push_back(o);
        }
    }
    return attacks;
}

// Runs of one key, bridging short gaps, split where an onset falls inside.
std::vector<Note> RunsOf(const std::vector<int>& keys, const std::vector<long>& onsets) {
    std::vector<Note> runs;
    const long n = static_cast<long>(keys.size());
    auto onset = onsets.begin();
    for (long i = 0; i < n;) {
        if (keys[i] == 0) {
            ++i;
            continue;
        }
        Note note{i, i, keys[i]};
        long j = i + 1;
        while (j < n && (keys[j] == note.key || (keys[j] == 0 && j - note.last <= kBridge))) {
            if (keys[j] == note.key) note.last = j;
            ++j;
        }
        // Repeated notes of one pitch: each onset well inside the run starts a new one.
        while (onset != onsets.end() && *onset < note.first + kAttackSpacing) ++onset;
        for (; onset != onsets.end() && *onset + kShortestNote <= note.last; ++onset) {
            Note head = note;
            head.last = *onset - 1;
            runs.push_back(head);
            note.first = *onset;
        }
        runs.push_back(note);
        i = note.last + 1;
    }
    return runs;
}

// Where the note whose pitch settled at hop `first` began: where the level began to rise
// into it, or, when the pitch glided there from the note before (legato, or through the
// reverb) with no silence between, where that note's pitch ended. A slow attack (a flute, a voice)
// settles its pitch well after it starts to sound.
long RiseStart(const Record& r, float gate, long first, const std::vector<Note>& before) {
    const long earliest =
        std::max(before.empty() ? 0L : before.back().last + 1, first - kOnsetLead);
    long start = first;
    while (start > earliest && r.hops[static_cast<std::size_t>(start - 1)].level <
                                   r.hops[static_cast<std::size_t>(start)].level) {
        --start;
    }
    long glide = first;
    while (glide > earliest && r.hops[static_cast<std::size_t>(glide - 1)].level >= gate) --glide;
    return glide == earliest && !before.empty() ? std::min(start, glide) : start;
}

// Runs long enough to be notes, each starting at the first onset heard just before its pitch
// settled, then neighbours of one key that no attack parts joined again. A short run with
// an attack of its own that no note took is a sound left out.
std::vector<Note> NotesOf(const std::vector<Note>& runs, const Record& r, float gate,
                          int& shortSounds) {
    const std::vector<long>& attacks = r.attacks;
    std::vector<bool> taken(attacks.size());
    std::vector<Note> notes;
    std::size_t o = 0, heard = 0;
    // Runs too short to be notes since the last one kept: at a slow attack in noise the
    // tracker wavers between the note and its octaves before it settles, and the note
    // began where that wavering did.
    std::vector<Note> wavering;
    for (Note run : runs) {
        const long length = run.last - run.first + 1;
        if (length < kShortestNote) {
            wavering.push_back(run);
            continue;
        }
        for (auto w = wavering.rbegin();
             w != wavering.rend() && run.first - w->last <= kBridge + 1 &&
             (w->key - run.key) % 12 == 0;
             ++w) {
            run.first = w->first;
        }
        wavering.clear();
        while (o < attacks.size() && attacks[o] + kOnsetLead < run.first) ++o;
        run.onset = o < attacks.size() && attacks[o] <= run.first + 2;
        if (run.onset) taken[o++] = true;
        while (heard < r.onsets.size() && r.onsets[heard] + kOnsetLead < run.first) ++heard;
        const bool near = heard < r.onsets.size() && r.onsets[heard] <= run.first + 2;
        run.start = static_cast<double>(near ? std::min(r.onsets[heard++], run.first)
                                             : RiseStart(r, gate, run.first, notes)) *
                    r.hopSeconds;
        for (long i = run.first; i <= run.last; ++i) {
            run.peak = std::max(run.peak, r.hops[static_cast<std::size_t>(i)].level);
        }
        if (!notes.empty() && !run.onset) {
            // Too short to be a note of its own without an attack: a glitch of the tracker,
            // or the noise's own pitch between notes.
            if (length < 2 * kShortestNote) {
                wavering.push_back(run);
                continue;
            }
            Note& before = notes.back();
            const int apart = std::abs(before.key - run.key);
            const long gap = run.first - before.last;
            const long shorter = std::min(run.last - run.first, before.last - before.first) + 1;
            // A note dying away, heard an octave off or as another pitch in the noise and
            // reverb under it: part of the note before, whatever its pitch.
            if (run.peak < before.peak - kTailDrop) {
                if (apart % 12 == 0) before.last = run.last;
                continue;
            }
            // Its own key heard again, after a stretch the tracker lost, and starting well
            // under the note's peak: still that note dying away, though the next note's
            // attack under its last hops is loud.
            if (apart % 12 == 0 &&
                r.hops[static_cast<std::size_t>(run.first)].level < before.peak - 3 * kTailDrop) {
                before.last = run.last;
                continue;
            }
            // The note before that one ringing on under it.
            if (notes.size() >= 2 && notes[notes.size() - 2].key == run.key &&
                run.peak < before.peak - kRingingDrop) {
                continue;
            }
            // One key again, or the tracker's octave error (a short burst one or more
            // octaves off, as on a breathy attack in noise), without an attack between: one
            // note, of the key held longest.
            if ((apart == 0 && gap <= 2 * kBridge + kShortestNote) ||
                (apart % 12 == 0 && gap <= kBridge + 1 && shorter < 3 * kShortestNote)) {
                if (run.last - run.first > before.last - before.first) before.key = run.key;
                before.last = run.last;
                before.peak = std::max(before.peak, run.peak);
                continue;
            }
        }
        notes.push_back(run);
    }
    o = 0;
    for (const Note& run : runs) {
        if (run.last - run.first + 1 >= kShortestNote) continue;
        while (o < attacks.size() && attacks[o] + kOnsetLead < run.first) ++o;
        if (o < attacks.size() && attacks[o] <= run.last && !taken[o]) {
            taken[o] = true;
            ++shortSounds;
        }
    }
    return notes;
}

// Each note's pitch again, as the median over its own voiced hops, and how sure it is. YIN
// errs by taking twice the period, mostly as a note dies away: a note whose hops are heard
// an octave higher often enough is that octave.
void Settle(std::vector<Note>& notes, const Record& r, float gate, double offset) {
    for (Note& note : notes) {
        std::vector<float> keys[2], confidences[2];
        for (long i = note.first; i <= note.last; ++i) {
            const Hop& h = r.hops[static_cast<std::size_t>(i)];
            if (h.level < gate || h.confidence < kVoiced || h.key <= 0) continue;
            for (int up = 0; up < 2; ++up) {
                if (std::abs(h.key - offset - note.key - 12 * up) > 0.5) continue;
                keys[up].push_back(static_cast<float>(h.key - offset));
                confidences[up].push_back(h.confidence);
            }
        }
        const int up = !keys[1].empty() && keys[1].size() >= kOctaveShare * keys[0].size() ? 1 : 0;
        note.key += 12 * up;
        const double key = Median(keys[up]);
        note.uncertain =
            Median(confidences[up]) < kSure || std::abs(key - std::round(key)) > kOffKey;
    }
}

// The fraction of gaps within kGapSlack of a whole multiple (at least one) of `unit`.
double Fit(const std::vector<double>& gaps, double unit) {
    int fitting = 0;
    for (double gap : gaps) {
        const double units = std::max(1.0, std::round(gap / unit));
        if (std::abs(gap - units * unit) <= kGapSlack * gap) ++fitting;
    }
    return static_cast<double>(fitting) / static_cast<double>(gaps.size());
}

// The length of a sixteenth in seconds, from the gaps between onsets: the longest unit
// the gaps are multiples of, named the note value that gives a moderate tempo, then made
// exact by least squares over every gap. aubio's beat tracker is not used: it needs
// several seconds of steady pulse to lock and a melody's onsets are already what the
// grid must fit.
double SixteenthOf(const std::vector<double>& allGaps) {
    std::vector<double> gaps;
    for (double gap : allGaps) {
        if (gap <= kLongestGap) gaps.push_back(gap);
    }
    if (gaps.empty()) return 15.0 / kUnstatedTempo;
    double unit = 0, bestFit = -1;
    for (double u = kLongestUnit; u >= kShortestUnit; u *= 0.995) {
        const double fit = Fit(gaps, u);
        if (fit >= kUnitFit) {
            unit = u;
            break;
        }
        if (fit > bestFit) bestFit = fit, unit = u;
    }
    // Any unit a little under or over the beat fits within the slack: the one taken is the
    // one the gaps fit most closely, each gap's miss counted up to the slack (a rest or a
    // held breath misses whatever the unit).
    const auto miss = [&gaps](double u) {
        double sum = 0;
        for (double gap : gaps) {
            const double off = std::abs(gap - std::max(1.0, std::round(gap / u)) * u) / gap;
            sum += std::pow(std::min(off, kGapSlack), 2);
        }
        return sum;
    };
    double closest = unit, least = miss(unit);
    for (double u = unit * (1 - kGapSlack); u <= unit * (1 + kGapSlack); u *= 1.002) {
        if (const double m = miss(u); m < least) closest = u, least = m;
    }
    unit = closest;
    int sixteenths = 1;
    while (sixteenths < 8 && 15.0 * sixteenths / unit < kSlowest) sixteenths *= 2;
    // The unit made exact: each fitting gap's count of units, then the unit those counts fit
    // best, again until the counts settle. A gap shorter than the unit, or off the beat by a
    // rest, would only pull it off.
    for (int round = 0; round < 8; ++round) {
        double dn = 0, nn = 0;
        for (double gap : gaps) {
            const double n = std::round(gap / unit);
            if (n < 1 || std::abs(gap - n * unit) > kGapSlack * gap) continue;
            dn += gap * n;
            nn += n * n;
        }
        if (nn == 0) break;
        unit = dn / nn;
    }
    return unit / sixteenths;
}

std::int64_t Sixteenths(double seconds, double sixteenth) {
    return std::max<std::int64_t>(1, std::llround(seconds / sixteenth));
}

}  // namespace

MelodyRead ReadAudioMelody(const std::string& nativePath, double tempo,
                           const std::function<bool(long, long)>& progress) {
    Record record;
    if (const auto fault = Listen(nativePath, progress, record)) return {*fault, {}};
    MelodyRead read;
    platform::Melody& m = read.melody;
    m.ticksPerQuarter = kTicksPerQuarter;
    m.heard.recording = true;
    m.heard.secondsNotRead = record.secondsNotRead;

    if (record.hops.empty()) return {MelodyFault::Silent, {}};
    std::vector<float> levels;
    levels.reserve(record.hops.size());
    for (const Hop& h : record.hops) levels.push_back(h.level);
    const auto floor = levels.begin() + static_cast<long>(levels.size() / 10);
    std::nth_element(levels.begin(), floor, levels.end());
    const float loudest = *std::max_element(floor, levels.end());
    if (loudest < kSilentDb) return {MelodyFault::Silent, {}};
    const float gate =
        std::max(loudest - kGateRange, std::min(*floor + kAboveFloor, loudest - kLeastRange));
    const double offset = TuningOffset(record, gate);
    record.attacks = AttacksOf(record);
    std::vector<Note> notes = NotesOf(RunsOf(KeysOf(record, gate, offset), record.attacks), record,
                                      gate, m.heard.shortSounds);
    Settle(notes, record, gate, offset);
    m.heard.outOfRange = static_cast<int>(std::erase_if(
        notes, [](const Note& n) { return n.key < kLowestKey || n.key > kHighestKey; }));
    if (notes.empty()) return {MelodyFault::NoPitch, {}};
    m.heard.tuningCents = offset * 100;

    std::vector<double> gaps;
    for (std::size_t i = 1; i < notes.size(); ++i)
        gaps.push_back(notes[i].start - notes[i - 1].start);
    m.heard.tempoGiven = tempo > 0;
    const double sixteenth = tempo > 0 ? 15.0 / tempo : SixteenthOf(gaps);
    m.tempo = m.heard.tempo = 15.0 / sixteenth;

    // Onto the grid gap by gap, so that a player's tempo drifting does not pull later notes
    // off it; a note lasts to its heard end or the next onset, whichever comes first.
    std::int64_t at = 0;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const Note& n = notes[i];
        const double length = (n.last + 1) * record.hopSeconds - n.start;
        std::int64_t units = Sixteenths(length, sixteenth);
        std::int64_t next = at;
        if (i + 1 < notes.size()) {
            next += Sixteenths(gaps[i], sixteenth) * kTicksPerSixteenth;
            units = std::min(units, (next - at) / kTicksPerSixteenth);
        }
        m.notes.push_back({at, at + units * kTicksPerSixteenth, n.key});
        if (n.uncertain) ++m.heard.uncertain;
        at = next;
    }
    return read;
}

}  // namespace tabrella::exchange
