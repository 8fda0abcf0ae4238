"""The ESPHome sensor of varnelle-bareme read as ESPHome reads it: YAML pasted
under "sensor:", its keys, calibrate_linear's points strictly ascending (ESPHome
refuses equal ones) and the litres held within [0, capacity] whatever the
sensor reports, once ESPHome has drawn the end segments of the chart on.

Usage: python3 esphome_yaml_test.py PATH/TO/varnelle-bareme
"""

import json
import math
import subprocess
import sys

import yaml

CAP_TANK = "--diametre 1000 --longueur 2000 --bords calotte --largeur 100 --crepine 100"

# name, chart options, options of the ESPHome form only, source id, diameter in metres
CASES = [
    ("cap_tank_250", CAP_TANK + " --pas 250", "", "distance_cuve", 1.0),
    ("cap_tank_default_step", CAP_TANK, "", "distance_cuve", 1.0),
    ("diameter_written_as_last_step", "--diametre 1000.0004 --longueur 2000 --pas 10", "",
     "distance_cuve", 1.0000004),
    ("conical_from_perimeter",
     "--perimetre 3770 --longueur 2500 --bords tronconiques --largeur 150 "
     "--diametre-extremite 900 --pas 7", "--esphome-source ultrason_cuve", "ultrason_cuve", 1.2),
    ("sensor_in_a_riser_with_a_blind_zone", CAP_TANK + " --pas 50",
     "--zone-morte 250 --decalage 150", "distance_cuve", 1.0),
]

SENSOR_KEYS = {
    "platform": "copy",
    "name": "Mazout dans la cuve",
    "unit_of_measurement": "L",
    "device_class": "volume_storage",
    "state_class": "measurement",
    "accuracy_decimals": 0,
}


def bareme(program, options):
    done = subprocess.run([program] + options.split(), capture_output=True, text=True,
                          env={"LC_ALL": "C"}, check=False)
    if done.returncode != 0:
        raise AssertionError(f"{options}: status {done.returncode}: {done.stderr}")
    return done.stdout


def exact_then_clamp(points, clamp, x):
    """ESPHome's calibrate_linear, method exact (the first and last segments
    drawn on beyond the points), then clamp."""
    k = 1
    while k < len(points) - 1 and x > points[k][0]:
        k += 1
    (x0, y0), (x1, y1) = points[k - 1], points[k]
    y = y0 + (y1 - y0) * (x - x0) / (x1 - x0)
    return min(max(y, clamp["min_value"]), clamp["max_value"])


def check(program, name, options, esphome_options, source, diameter_m):
    out = bareme(program, f"{options} --format esphome {esphome_options}")
    capacity = json.loads(bareme(program, options + " --format json"))["capacite_litres"]
    comments = "\n".join(line for line in out.splitlines() if line.lstrip().startswith("#"))
    assert "ESPHome 2023.8" in comments, comments
    assert "mètres" in comments, comments

    config = yaml.safe_load("sensor:\n" + out)
    assert list(config) == ["sensor"], config
    assert len(config["sensor"]) == 1, config
    sensor = config["sensor"][0]
    assert set(sensor) == set(SENSOR_KEYS) | {"source_id", "filters"}, sorted(sensor)
    for key, value in SENSOR_KEYS.items():
        assert sensor[key] == value, (key, sensor[key])
    assert sensor["source_id"] == source, sensor["source_id"]

    filters = sensor["filters"]
    mount = mount_of(esphome_options)
    expected = (["lambda"] if "zone-morte" in mount else []) + (
        ["offset"] if "decalage" in mount else []) + ["calibrate_linear", "clamp"]
    assert [key for f in filters for key in f] == expected, filters
    calibration, clamp = filters[-2]["calibrate_linear"], filters[-1]["clamp"]
    assert set(calibration) == {"method", "datapoints"}, calibration
    assert calibration["method"] == "exact", calibration
    assert set(clamp) == {"min_value", "max_value"}, clamp
    assert clamp["min_value"] == 0, clamp
    assert clamp["max_value"] == capacity, (clamp, capacity)

    points = []
    for point in calibration["datapoints"]:
        distance, litres = point.split(" -> ")
        points.append((float(distance), float(litres)))
    distances = [d for d, _ in points]
    assert all(a < b for a, b in zip(distances, distances[1:])), "not strictly ascending"
    assert all(a >= b for (_, a), (_, b) in zip(points, points[1:])), "litres rise"
    assert points[0] == (0.0, capacity), points[0]
    assert math.isclose(points[-1][0], diameter_m, abs_tol=1e-6), points[-1]
    assert points[-1][1] == 0, points[-1]

    # A reading past the bottom, one above the oil, and a sensor that reports
    # millimetres by mistake: never below 0 nor above the capacity.
    for reading in (-0.02, 0.0, diameter_m / 3, diameter_m, diameter_m * 1.05, 1000.0):
        litres = exact_then_clamp(points, clamp, reading)
        assert 0 <= litres <= capacity, (reading, litres)
    if mount:
        check_mount(program, options, mount, filters, points, clamp)
    print(f"{name}: {len(points)} points, capacity {capacity}")


def mount_of(esphome_options):
    """The sensor's mount among the options: {"zone-morte": mm, "decalage": mm}."""
    words = esphome_options.split()
    return {words[i][2:]: float(words[i + 1]) for i in range(len(words) - 1)
            if words[i] in ("--zone-morte", "--decalage")}


def check_mount(program, options, mount, filters, points, clamp):
    """The blind zone's lambda drops what --distance refuses, the offset filter
    takes the sensor's zero down to the top of the tank: the whole chain gives
    the litres of --distance, to the chart's interpolation."""
    blind_zone = mount.get("zone-morte", 0) / 1000
    offset = mount.get("decalage", 0) / 1000
    lambda_code = filters[0]["lambda"]
    assert f"if (x < {blind_zone}) return {{}};" in lambda_code, lambda_code
    assert math.isclose(filters[1]["offset"], -offset), filters[1]
    mount_options = " ".join(f"--{key} {value:g}" for key, value in mount.items())
    for distance_mm in (300, 460, 777, 1100):
        answer = json.loads(bareme(program, f"{options.split(' --pas')[0]} {mount_options} "
                                            f"--distance {distance_mm} --format json"))
        litres = exact_then_clamp(points, clamp, distance_mm / 1000 - offset)
        assert abs(litres - answer["volume_total_litres"]) < 2, (distance_mm, litres, answer)


def main():
    program = sys.argv[1]
    failures = 0
    for case in CASES:
        name = case[0]
        try:
            check(program, *case)
        except AssertionError as failure:
            failures += 1
            print(f"{name}: FAILED: {failure}")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
