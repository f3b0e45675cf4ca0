#!/usr/bin/env python3
"""Writes data/terrain_survey.csv: a made-up but realistic terrain survey.

The points are what a survey crew brings back from a valley 2 km wide:
spot heights on a loose 50 m grid, dense shots along both banks of a river
and the edges of a road (breaklines), a detailed pick-up of a hill top, and
scattered extra shots. Easting and northing are metres in a UTM-like grid,
elevation is metres; all are rounded to the centimetre, as surveys are.

The data is synthetic. It is fully determined by this script (its own
random generator, no library randomness), so running it again gives the
same bytes:

    python3 scripts/make_survey_sample.py > data/terrain_survey.csv
"""
import math
import sys

EAST0, NORTH0 = 431200.0, 5247000.0
WIDTH, HEIGHT = 2000.0, 1500.0


class Random:
    """A 64-bit linear congruential generator (Knuth's MMIX constants)."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFFFFFFFFFF

    def uniform(self, low=0.0, high=1.0):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) & 0xFFFFFFFFFFFFFFFF
        return low + (high - low) * ((self.state >> 11) / float(1 << 53))

    def normal(self, sigma):
        u = 1.0 - self.uniform()
        v = self.uniform()
        return sigma * math.sqrt(-2.0 * math.log(u)) * math.cos(2.0 * math.pi * v)


def river_y(x):
    """Northing offset of the river's centreline at easting offset x."""
    return 620.0 + 180.0 * math.sin(x / 410.0) + 60.0 * math.sin(x / 137.0 + 1.3)


def elevation(x, y):
    # A valley falling gently to the east, cut by the river, between two
    # ridges, with a rounded hill in the north-west.
    base = 212.0 - 0.011 * x
    valley = 38.0 * (1.0 - math.exp(-((y - river_y(x)) / 260.0) ** 2))
    ridge = 22.0 * math.exp(-((y - 1350.0) / 160.0) ** 2) + 15.0 * math.exp(-((y - 90.0) / 120.0) ** 2)
    hill = 41.0 * math.exp(-((x - 520.0) ** 2 + (y - 1100.0) ** 2) / (2 * 150.0 ** 2))
    texture = 1.6 * math.sin(x / 23.0) * math.cos(y / 31.0)
    return base + valley + ridge + hill + texture


def main():
    rng = Random(20240607)
    shots = []

    def shot(x, y):
        if 0.0 <= x <= WIDTH and 0.0 <= y <= HEIGHT:
            shots.append((x, y))

    # Spot heights on a 50 m grid, each paced out a little off the mark.
    for i in range(41):
        for j in range(31):
            if rng.uniform() < 0.8:
                shot(i * 50.0 + rng.normal(3.0), j * 50.0 + rng.normal(3.0))
    # Both river banks, a shot every 9 m or so.
    x = 0.0
    while x <= WIDTH:
        for bank in (-14.0, 14.0):
            shot(x + rng.normal(1.0), river_y(x) + bank + rng.normal(1.5))
        x += 9.0 + rng.uniform(-2.0, 2.0)
    # Both edges of a straight road climbing to the north-east.
    t = 0.0
    while t <= 1.0:
        cx, cy = 150.0 + 1700.0 * t, 180.0 + 1150.0 * t
        for edge in (-4.0, 4.0):
            shot(cx + edge * 0.56, cy - edge * 0.83)
        t += 0.012
    # The hill top, picked up in detail.
    for _ in range(700):
        r = 140.0 * math.sqrt(rng.uniform())
        a = rng.uniform(0.0, 2.0 * math.pi)
        shot(520.0 + r * math.cos(a), 1100.0 + r * math.sin(a))
    # Extra shots wherever the crew thought the ground changed.
    for _ in range(900):
        shot(rng.uniform(0.0, WIDTH), rng.uniform(0.0, HEIGHT))

    out = sys.stdout
    out.write("# Terrain survey of a river valley (synthetic sample data for delaunay2d).\n")
    out.write("# Made by scripts/make_survey_sample.py; metres, UTM-like grid.\n")
    out.write("easting,northing,elevation\n")
    for x, y in shots:
        out.write("%.2f,%.2f,%.2f\n" % (EAST0 + x, NORTH0 + y, elevation(x, y)))


if __name__ == "__main__":
    main()
