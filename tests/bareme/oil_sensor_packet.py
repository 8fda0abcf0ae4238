#!/usr/bin/env python3
"""A radio packet of an ultrasonic oil-tank sensor (Oil-SonicSmart), as the
bits that `rtl_433 -R 43 -y BITS` decodes into its JSON line, so that the
tests feed the stream with rtl_433's own output without a radio.

Layout: preamble 111000, then 64 data bits in Manchester code (01 is 1, 10
is 0), then the last data bit twice. Data: id (32 bits), flags (8; 0x81 with
a depth of 0 while the sensor is being paired), temperature (6) and the high
2 bits of the depth in cm, its low 8 bits, and a CRC-8 (polynomial 0x31,
reflected, initial 0).

Usage: oil_sensor_packet.py ID DEPTH_CM [FLAGS]
"""
import sys


def reflected(byte):
    return int(f"{byte:08b}"[::-1], 2)


def crc8_reflected(data, polynomial=0x31):
    remainder, polynomial = 0, reflected(polynomial)
    for byte in data:
        remainder ^= byte
        for _ in range(8):
            remainder = (remainder >> 1) ^ polynomial if remainder & 1 else remainder >> 1
    return remainder


def packet(sensor_id, depth_cm, flags=0x80, temperature=25):
    data = list(sensor_id.to_bytes(4, "big")) + [
        flags, (temperature << 2) | ((depth_cm >> 8) & 3), depth_cm & 0xFF]
    data.append(crc8_reflected(data))
    bits = "".join(f"{byte:08b}" for byte in data)
    raw = "111000" + "".join("01" if bit == "1" else "10" for bit in bits) + bits[-1] * 2
    raw += "0" * (-len(raw) % 8)
    return "{136}" + f"{int(raw, 2):0{len(raw) // 4}x}"


if __name__ == "__main__":
    flags = int(sys.argv[3], 0) if len(sys.argv) > 3 else 0x80
    print(packet(int(sys.argv[1], 0), int(sys.argv[2]), flags))
