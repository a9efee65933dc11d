#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the benchmarks' JSON results as one table: each figure beside its baseline.

Every benchmark program ran twice; a figure is the median over the runs (each run's own
figure is already a mean or a median of many repetitions). Each row names what its
baseline is, measured in the same run. A target on a time alone is checked only on CPU
time, the sample clock or a latency distribution, never on wall time.
"""
import json
import re
import statistics
import sys
from collections import defaultdict
from pathlib import Path

UNIT_SCALE = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def load(folder):
    runs, loads = defaultdict(list), []
    for path in sorted(Path(folder).glob("*.json")):
        try:
            result = json.loads(path.read_text())
        except json.JSONDecodeError:
            continue  # a program whose benchmarks the filter left out writes nothing
        loads += result.get("context", {}).get("load_avg", [])[:1]
        for b in result.get("benchmarks", []):
            if b.get("run_type", "iteration") == "iteration" and not b.get("error_occurred"):
                # "BM_X/iterations:9/manual_time" is found as "BM_X".
                runs[re.sub(r"/(iterations:\d+|manual_time)", "", b["name"])].append(b)
    return runs, loads


def show(value, unit):
    if value is None:
        return "-"
    if unit == "MB":
        return f"{value:.1f} MB"
    if unit == "n":
        return f"{value:.0f}"
    for name, scale in (("s", 1.0), ("ms", 1e-3), ("us", 1e-6)):
        if value >= scale:
            return f"{value / scale:.3g} {name}"
    return f"{value / 1e-9:.3g} ns"


def one_value(run, counter):
    """A run's time (real, or "cpu"), or one of its counters: NAME_us, NAME_ms in seconds,
    NAME_MB in megabytes, anything else as a plain number."""
    if counter in ("", "cpu"):
        key = "cpu_time" if counter == "cpu" else "real_time"
        return run[key] * UNIT_SCALE[run.get("time_unit", "ns")]
    if counter not in run:
        return None
    scale = {"_us": 1e-6, "_ms": 1e-3}.get(counter[-3:], 1.0)
    return run[counter] * scale


def value(runs, ref):
    """The median over the runs of "BM_NAME[:counter]"."""
    name, _, counter = ref.partition(":")
    values = [v for v in (one_value(r, counter) for r in runs.get(name, [])) if v is not None]
    return statistics.median(values) if values else None


# (figure, measured, baseline, target, unit, what the baseline is)
# target: ("x", r) the ratio to the baseline at most r; ("max", v) the measured value at
# most v (CPU time, sample clock, latency percentiles, memory, counts only); None: shown.
ROWS = [
    ("1. Start-up to first frame on X, median of 15", "BM_FirstFrame:editor_ms",
     "BM_FirstFrame:plain_ms", ("x", 1.1), "s",
     "plain Qt main window, same menus/toolbar/status bar, a line of IPAGothic; spawn to XDamage,"
     " the two by turns"),
    ("   window built again, in process", "BM_WarmStartup", "BM_WarmStartup:bare_ms", None, "s",
     "bare QMainWindow around one QWidget, offscreen"),
    ("2. --export-midi 2999 cells, spawn to exit", "BM_BatchExportMidi:export_ms",
     "BM_BatchExportMidi:version_ms", None, "s", "tabrella --version"),
    ("   same, CPU time", "BM_BatchExportMidi:export_cpu_ms", "BM_BatchExportMidi:version_cpu_ms",
     ("x", 1.2), "s", "tabrella --version"),
    ("3. First Play, 3 s after start, to sound (worst)", "BM_SoundLatency:play_worst_ms",
     "BM_SoundLatency:bare_ms", ("max", 150e-3), "s",
     "bare FluidSynth note-on, same buffer and font; XTest key or call to the first sample"
     " > -50 dBFS in PulseAudio's null sink monitor"),
    ("   string key to its note, typed (worst)", "BM_SoundLatency:typed_worst_ms",
     "BM_SoundLatency:bare_ms", ("max", 150e-3), "s", "the same"),
    ("   the same before any Play (worst)", "BM_SoundLatency:first_typed_worst_ms",
     "BM_SoundLatency:bare_ms", ("max", 150e-3), "s", "the same; this key opens the device"),
    ("   click to sound (sample clock + buffer)", "BM_SequencerPlayToFirstSound:click_to_sound_ms",
     "BM_BareNoteOnToFirstSound:first_sound_ms", None, "s",
     "bare FluidSynth note-on to -60 dBFS, no file, no buffer"),
    ("   underruns in 60 s of a dense score", "BM_PacedPlayUnderruns:underruns",
     "BM_PacedPlayUnderruns:default_underruns", ("max", 0), "n",
     "same play paced with FluidSynth's default 16 x 64-frame buffer, side by side"),
    ("   latest period written after its slot freed", "BM_PacedPlayUnderruns:worst_ms",
     "BM_PacedPlayUnderruns:default_worst_ms", None, "s", "the same for the default buffer"),
    ("4. Full redraw 120 % (DrawScore, CPU)", "BM_DrawScore/120", "BM_DrawScore/120:bare_us",
     ("x", 1.2), "s", "bare QPainter loop of the same glyph runs, pens, fills; same pixels"),
    ("   full redraw 300 % (DrawScore, CPU)", "BM_DrawScore/300", "BM_DrawScore/300:bare_us",
     ("x", 1.2), "s", "bare QPainter loop of the same glyph runs, pens, fills; same pixels"),
    ("   RedrawNow after a key 120 % (CPU)", "BM_RedrawNowAfterKey/120", "BM_DrawScore/120:bare_us",
     None, "s", "bare loop drawing the whole page"),
    ("5. Key to pixels p90, quiet", "BM_KeyToPixels/0:editor_p90_ms",
     "BM_KeyToPixels/0:plain_p90_ms", ("x", 1.2), "s",
     "plain Qt window repainting on every key; XTest key to XDamage"),
    ("   p99, quiet", "BM_KeyToPixels/0:editor_p99_ms", "BM_KeyToPixels/0:plain_p99_ms",
     ("max", 4e-3), "s", "the same"),
    ("   p90, two CPU spinners running", "BM_KeyToPixels/1:editor_p90_ms",
     "BM_KeyToPixels/1:plain_p90_ms", ("x", 1.2), "s", "the same, under the same load"),
    ("   p99, two CPU spinners running", "BM_KeyToPixels/1:editor_p99_ms",
     "BM_KeyToPixels/1:plain_p99_ms", ("max", 4e-3), "s", "the same, under the same load"),
    ("   p90 typing, recovery copy on", "BM_TypingToPixels:on_p90_ms",
     "BM_TypingToPixels:off_p90_ms", ("x", 1.05), "s",
     "the same keys (一 and Space by turns) with the recovery copy off"),
    ("6. WriteScoreFile (save)", "BM_WriteScoreFile", "BM_WriteScoreFile:durable_us", ("x", 1.2),
     "s", "write + fsync + rename + folder fsync of the same bytes"),
    ("   ExportMidi", "BM_ExportMidi", "BM_ExportMidi:durable_us", ("x", 1.2), "s",
     "write + fsync + rename + folder fsync of the same bytes"),
    ("   ReadScoreFile 2999 cells (CPU)", "BM_ReadScoreFile:cpu_us", "BM_ReadScoreFile:base_cpu_us",
     None, "s", "plain read of the bytes (CPU)"),
    ("     of which parsing in memory", "BM_ReadScoreFile:memory_us", "BM_ReadScoreFile:base_us",
     None, "s", "plain read of the bytes"),
    ("7. Sound font load (CPU)", "BM_SequencerFirstOpen@cpu", "BM_BareSynthSoundFontLoad/1@cpu",
     ("max", 60e-3), "s", "bare FluidSynth loading the font, dynamic sample loading"),
    ("   RSS after start-up", "BM_EditorMemory:started_MB", "BM_EditorMemory:plain_MB",
     ("max", 50), "MB", "the plain Qt window of row 1"),
    ("   RSS while playing the full score", "BM_EditorMemory:playing_MB", "BM_EditorMemory:plain_MB",
     ("max", 90), "MB", "the plain Qt window of row 1"),
    ("Other: WriteMidiStream -> ofstream", "BM_WriteMidiStreamToFile",
     "BM_WriteMidiStreamToFile:base_us", ("x", 2.0), "s", "plain stdio write of the bytes"),
    ("   Play's MIDI file (memory + temp file)", "BM_PlayFileWrite", "BM_PlayFileWrite:base_us",
     ("x", 2.0), "s", "plain stdio write of the bytes"),
    ("   Audio export, 2999 cells to WAV (CPU)", "BM_ExportAudioWav:cpu_us",
     "BM_ExportAudioWav:bare_cpu_us", ("x", 1.1), "s",
     "bare FluidSynth rendering the same MIDI bytes to WAV, same settings (CPU)"),
    ("     bare FluidSynth without reverb, chorus", "BM_ExportAudioWav:dry_us",
     "BM_ExportAudioWav:bare_us", None, "s", "bare FluidSynth render to WAV (wall)"),
    ("   Import of a 3000-note MIDI file", "BM_ImportMidi", "BM_ImportMidi:base_us",
     ("max", 100e-3), "s", "plain read of the file's bytes"),
    ("   the worst MIDI file within the limits", "BM_ImportMidiWorstCase",
     "BM_ImportMidiWorstCase:base_us", ("max", 3.0), "s", "plain read of the file's bytes"),
    ("   Transcription of a 3-minute recording", "BM_TranscribeRecording/180",
     "BM_TranscribeRecording/180:base_us", ("max", 9.0), "s",
     "libsndfile decoding the same 44.1 kHz stereo WAV"),
    ("     peak memory, 3-minute recording", "BM_TranscriptionMemory/180:rss_MB",
     "BM_TranscriptionMemory/180:decode_MB", None, "MB", "a process only decoding the file"),
    ("     peak memory, 20-minute recording", "BM_TranscriptionMemory/1200:rss_MB",
     "BM_TranscriptionMemory/1200:decode_MB", ("max", 30), "MB",
     "a process only decoding the file"),
    ("   MusicXML export, 2999 cells", "BM_ExportMusicXml", "BM_ExportMusicXml:midi_us", None, "s",
     "the MIDI export of the same score"),
    ("   Undo of a cut of 2999 cells (CPU)", "BM_UndoRedoWholeCut:undo_cpu_us",
     "BM_UndoRedoWholeCut:copy_us", ("max", 50e-6), "s", "a plain copy of all cells"),
    ("   redo of it (CPU)", "BM_UndoRedoWholeCut:redo_cpu_us", "BM_UndoRedoWholeCut:copy_us",
     ("max", 50e-6), "s", "a plain copy of all cells"),
    ("   undo history of 10 000 keystrokes", "BM_KeystrokeHistory:history_MB", None, ("max", 5.0),
     "MB", "-"),
]


def resolve(runs, ref):
    if ref is None:
        return None
    if "@cpu" in ref:
        return value(runs, ref.replace("@cpu", "") + ":cpu")
    return value(runs, ref)


def main():
    runs, loads = load(sys.argv[1])
    if loads:
        # Other work on the machine slows figure and baseline alike, but not exactly alike.
        print(f"Load average at the start of each program: {', '.join(f'{x:.1f}' for x in loads)}")
    header = ("Figure", "Measured", "Baseline", "Ratio", "Target", "", "Baseline is")
    table = [header]
    for figure, measured, baseline, limit, unit, described in ROWS:
        m, b = resolve(runs, measured), resolve(runs, baseline)
        ratio = m / b if m is not None and b else None
        target, met = "-", ""
        if limit and limit[0] == "x":
            target = f"<= {limit[1]:g} x"
            met = "" if ratio is None else ("met" if ratio <= limit[1] else "NOT MET")
        elif limit:
            target = f"<= {show(limit[1], unit)}"
            met = "" if m is None else ("met" if m <= limit[1] else "NOT MET")
        table.append((figure, show(m, unit), show(b, unit),
                      "-" if ratio is None else f"{ratio:.2f} x", target, met, described))
    widths = [max(len(row[i]) for row in table) for i in range(len(header))]
    for i, row in enumerate(table):
        cells = [row[0].ljust(widths[0])] + [c.rjust(w) for c, w in zip(row[1:5], widths[1:5])]
        cells += [row[5].ljust(widths[5]), row[6]]
        print("  ".join(cells).rstrip())
        if i == 0:
            print("  ".join("-" * w for w in widths[:6]))


if __name__ == "__main__":
    main()
