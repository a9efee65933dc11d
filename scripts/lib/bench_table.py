#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the benchmarks' JSON results as one table: each figure beside its baseline."""
import json
import re
import sys
from pathlib import Path

UNIT_SCALE = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def load(folder):
    runs, loads = {}, []
    for path in Path(folder).glob("*.json"):
        result = json.loads(path.read_text())
        loads += result.get("context", {}).get("load_avg", [])[:1]
        for b in result.get("benchmarks", []):
            if b.get("run_type", "iteration") == "iteration" and not b.get("error_occurred"):
                # "BM_X/iterations:9/manual_time" is found as "BM_X".
                runs[re.sub(r"/(iterations:\d+|manual_time)", "", b["name"])] = b
    return runs, loads


def seconds(run):
    return run["real_time"] * UNIT_SCALE[run.get("time_unit", "ns")]


def show(value):
    """Seconds as text in a unit that suits them."""
    if value is None:
        return "-"
    for unit, scale in (("s", 1.0), ("ms", 1e-3), ("us", 1e-6)):
        if value >= scale:
            return f"{value / scale:.3g} {unit}"
    return f"{value / 1e-9:.3g} ns"


# (figure, measured, baseline, limit): measured and baseline name a run, or a run and a
# counter holding microseconds ("run:counter_us") or milliseconds ("run:counter_ms").
# limit: ("x", r) for a ratio to the baseline, ("abs", seconds) for an absolute bound.
ROWS = [
    ("Full redraw 120 % (DrawScore)", "BM_DrawScore/120", "BM_BareQPainterBaseline/120", None),
    ("Full redraw 300 % (DrawScore)", "BM_DrawScore/300", "BM_BareQPainterBaseline/300",
     ("abs", 2e-3)),
    ("RedrawNow after a key, 120 %", "BM_RedrawNowAfterKey/120", "BM_BareQPainterBaseline/120",
     None),
    ("RedrawNow after a key, 300 %", "BM_RedrawNowAfterKey/300", "BM_BareQPainterBaseline/300",
     None),
    ("WriteMidiStream -> ofstream", "BM_WriteMidiStreamToFile",
     "BM_WriteMidiStreamToFile:base_us", ("x", 2.0)),
    ("Play's MIDI file (memory + temp file)", "BM_PlayFileWrite", "BM_PlayFileWrite:base_us",
     ("x", 2.0)),
    ("  of which the MIDI bytes in memory", "BM_PlayFileWrite:memory_us", "BM_PlayFileWrite:base_us",
     None),
    ("ExportMidi (fsync, rename)", "BM_ExportMidi", "BM_ExportMidi:base_us", ("x", 2.0)),
    ("  same, vs plain I/O + fsync + rename", "BM_ExportMidi", "BM_ExportMidi:durable_us",
     ("x", 2.0)),
    ("WriteScoreFile (fsync, rename)", "BM_WriteScoreFile", "BM_WriteScoreFile:base_us",
     ("x", 2.0)),
    ("  same, vs plain I/O + fsync + rename", "BM_WriteScoreFile", "BM_WriteScoreFile:durable_us",
     ("x", 2.0)),
    ("  of which formatting in memory", "BM_WriteScoreFile:memory_us", "BM_WriteScoreFile:base_us",
     None),
    ("ReadScoreFile", "BM_ReadScoreFile", "BM_ReadScoreFile:base_us", ("x", 2.0)),
    ("  of which parsing in memory", "BM_ReadScoreFile:memory_us", "BM_ReadScoreFile:base_us",
     None),
    ("Audio export, 2999 cells to WAV", "BM_ExportAudioWav", "BM_ExportAudioWav:bare_us",
     ("abs", 2.0)),
    ("  bare FluidSynth without reverb, chorus", "BM_ExportAudioWav:dry_us",
     "BM_ExportAudioWav:bare_us", None),
    ("MusicXML export, 2999 cells", "BM_ExportMusicXml", "BM_ExportMusicXml:midi_us", None),
    ("Import of a 3000-note MIDI file", "BM_ImportMidi", "BM_ImportMidi:base_us", ("abs", 100e-3)),
    ("Sequencer first open (sound font)", "BM_SequencerFirstOpen",
     "BM_BareSynthSoundFontLoad/1", None),
    ("Play to first sound (sample clock)", "BM_SequencerPlayToFirstSound:first_sound_ms",
     "BM_BareNoteOnToFirstSound:first_sound_ms", ("abs", 10e-3)),
    ("Play to first sound (CPU to render it)", "BM_SequencerPlayToFirstSound",
     "BM_BareNoteOnToFirstSound", None),
    ("Start-up to first paint, in process", "BM_WarmStartup", "BM_WarmStartup:bare_ms",
     ("x", 1.3)),
    ("Start-up to first paint, new process", "BM_ColdStartup", "BM_ColdStartup:bare_ms",
     ("x", 1.3)),
    ("  same, vs bare window + one Japanese word", "BM_ColdStartup",
     "BM_ColdStartup:bare_text_ms", None),
    ("Undo of a cut of 2999 cells", "BM_UndoRedoWholeCut", "BM_UndoRedoWholeCut:copy_us",
     ("abs", 50e-6)),
    ("  redo of it", "BM_UndoRedoWholeCut:redo_us", "BM_UndoRedoWholeCut:copy_us",
     ("abs", 50e-6)),
]

# (figure, run:counter in megabytes, limit in megabytes)
MEMORY_ROWS = [
    ("Undo history of 10 000 keystroke steps", "BM_KeystrokeHistory:history_MB", 5.0),
]


def value(runs, ref):
    name, _, counter = ref.partition(":")
    run = runs.get(name)
    if run is None:
        return None
    if not counter:
        return seconds(run)
    scale = 1e-6 if counter.endswith("_us") else 1e-3
    return run[counter] * scale if counter in run else None


def main():
    runs, loads = load(sys.argv[1])
    if loads:
        # Other work on the machine slows figure and baseline alike, but not exactly alike.
        print(f"Load average at the start of each program: {', '.join(f'{x:.1f}' for x in loads)}")
    header = ("Figure", "Measured", "Baseline", "Ratio", "Target", "")
    table = [header]
    for figure, measured, baseline, limit in ROWS:
        m, b = value(runs, measured), value(runs, baseline)
        ratio = m / b if m is not None and b else None
        target, met = "-", ""
        if limit and limit[0] == "x":
            target = f"<= {limit[1]:g} x"
            met = "" if ratio is None else ("ok" if ratio <= limit[1] else "MISSED")
        elif limit:
            target = f"< {show(limit[1])}"
            met = "" if m is None else ("ok" if m < limit[1] else "MISSED")
        table.append((figure, show(m), show(b), "-" if ratio is None else f"{ratio:.2f} x",
                      target, met))
    widths = [max(len(row[i]) for row in table) for i in range(len(header))]
    for i, row in enumerate(table):
        cells = [row[0].ljust(widths[0])] + [c.rjust(w) for c, w in zip(row[1:5], widths[1:5])]
        print("  ".join(cells + [row[5]]).rstrip())
        if i == 0:
            print("  ".join("-" * w for w in widths[:5]))
    for figure, ref, limit in MEMORY_ROWS:
        name, _, counter = ref.partition(":")
        mb = runs.get(name, {}).get(counter)
        shown = "-" if mb is None else f"{mb:.2f} MB"
        met = "" if mb is None else ("ok" if mb <= limit else "MISSED")
        print(f"{figure}: {shown} (target <= {limit:g} MB) {met}".rstrip())


if __name__ == "__main__":
    main()
