#!/usr/bin/env python3
"""Writes the hand-made inputs of volume_fuzz into the folder given (see the
input layout at the top of volume_fuzz.cpp)."""
import math
import struct
import sys
from pathlib import Path

FLAT, CONE, CAP, ROUND = range(4)
FOLD, ABANDON, WHOLE = 1, 2, 4
NAN, INF = math.nan, math.inf


def case(shape, tank, intervals, cap=(500, 1026, 100), mode=0, abandon_after=0):
    """tank: diameter, oil, length, strainer, end width, end circle diameter."""
    return bytes([shape, mode, abandon_after]) + struct.pack("<10d", *tank, intervals, *cap)


WORKED = (1000, 300, 2000, 100, 100, 800)

SEEDS = {
    "worked_flat": case(FLAT, WORKED, 1000),
    "worked_cone": case(CONE, WORKED, 1000),
    "worked_cap": case(CAP, WORKED, 1000),
    "worked_round": case(ROUND, WORKED, 1000),
    "full_round_fractional_slices": case(ROUND, (1000, 1000, 2000, 0, 500, 0), 999.5),
    "shallow_round": case(ROUND, (1000, 500, 2000, 100, 1.030301e-12, 0), 2000),
    "shallow_cap_arc_of_diameter": case(CAP, (1000, 500, 0, 0, 1e-6, 0), 2000, (500, 1000, 0.5)),
    "cone_to_a_point": case(CONE, (1000, 999, 1, 1, 700, 0), 7),
    "strainer_above_oil": case(CONE, (1000, 100, 2000, 300, 100, 800), 1000),
    "empty_tank": case(CAP, (1000, 0, 2000, 0, 100, 0), 1000),
    "zero_tank": case(CAP, (0,) * 6, 0, (0, 0, 0)),
    "nan_tank": case(CAP, (NAN,) * 6, NAN, (NAN, NAN, NAN)),
    "infinite_tank": case(ROUND, (INF,) * 6, INF, (INF, INF, INF)),
    "infinite_slices_flat": case(FLAT, WORKED, INF, abandon_after=3),
    "negative_tank": case(CONE, (-1000, -300, -2000, -100, -100, -800), -3, (-500, -1026, -100)),
    "negative_cap_width": case(CAP, (1000, 300, 2000, 100, -100, 0), 100, (500, 1026, -100)),
    "huge_slices": case(ROUND, WORKED, 1e300),
    "tiny_tank": case(CONE, (1e-300, 1e-300, 1e-300, 0, 1e-300, 1e-300), 5, (1e-300, 3e-300, 1e-300)),
    "huge_tank": case(CAP, (1e300, 1e300, 1e300, 0, 1e300, 0), 5, (1e300, 3e300, 1e300)),
    "abandoned_run": case(CONE, WORKED, 1000, mode=ABANDON, abandon_after=20),
    "folded_whole_slices": case(ROUND, (1, 0.5, 1, 0.25, 0.3, 0.5), 0.6, (0.1, 0.5, 0.9), FOLD | WHOLE),
}

out = Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
for name, data in SEEDS.items():
    (out / name).write_bytes(data)
