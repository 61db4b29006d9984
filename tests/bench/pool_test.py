#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""bench/run --pool: medians over the measured runs of several series, warm-ups left out,
ratios to the best peer, the copy alone from its part times."""
import csv
import os
import subprocess
import sys
import tempfile
import unittest

RUN = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(__file__), "..", "..", "bench", "run")
FIELDS = ["case", "tool", "run", "warmup", "seconds", "part_seconds", "rate", "unit",
          "client_cpu", "peak_mib", "server_cpu", "lingered", "load1"]


def series(directory, name, runs):
    """A -runs.csv file of (case, tool, warm-up?, seconds, part seconds, server CPU) rows."""
    path = os.path.join(directory, name + "-runs.csv")
    with open(path, "w", newline="") as f:
        writer = csv.DictWriter(f, fieldnames=FIELDS)
        writer.writeheader()
        for n, (case, tool, warm, seconds, part, server) in enumerate(runs):
            writer.writerow(dict(case=case, tool=tool, run=n, warmup=int(warm), seconds=seconds,
                                 part_seconds="" if part is None else part,
                                 rate="%.1f" % (1024 * 1.048576 / seconds), unit="MB/s",
                                 client_cpu="0.1", peak_mib="6.5", server_cpu=server,
                                 lingered=0, load1="0.3"))
    return path


class Pool(unittest.TestCase):
    def test_medians_and_ratios_over_every_series(self):
        with tempfile.TemporaryDirectory() as d:
            first = series(d, "a", [
                ("tls_put", "quarv", True, 9.0, None, 9.0),  # a warm-up: left out
                ("tls_put", "quarv", False, 1.0, None, 1.1),
                ("tls_put", "quarv", False, 3.0, None, 3.1),
                ("tls_put", "lftp", False, 2.5, None, 2.0),
                ("tls_put", "curl", False, 3.0, None, 3.0),
                ("copy", "quarv", False, 1.2, 0.50, 1.0),
                ("copy", "ftplib", False, 1.0, 0.60, 1.0),
            ])
            second = series(d, "b", [
                ("tls_put", "quarv", False, 2.0, None, 2.1),
                ("tls_put", "lftp", False, 2.5, None, 2.0),
                ("tls_put", "lftp", False, 4.0, None, 3.0),
                ("tls_put", "curl", False, 3.0, None, 3.0),
                ("copy", "quarv", False, 1.4, 0.40, 1.0),
                ("copy", "ftplib", False, 1.2, 0.80, 1.0),
            ])
            out = subprocess.run([sys.executable, RUN, "--pool", first, second],
                                 capture_output=True, text=True, check=True).stdout
        rows = {tuple(line.split()[:2]): line.split() for line in out.splitlines()
                if len(line.split()) > 9}
        # (case, tool): median seconds, ratio, best peer
        expected = {
            ("tls_put", "quarv"): ("2.000", "0.80", "lftp"),
            ("tls_put", "curl"): ("3.000", "1.20", "lftp"),
            ("copy", "quarv"): ("1.300", "1.18", "ftplib"),
            ("copy_alone", "quarv"): ("0.450", "0.64", "ftplib"),
        }
        for key, (median, ratio, best) in expected.items():
            with self.subTest(key=key):
                self.assertIn(key, rows, out)
                self.assertEqual((rows[key][2], rows[key][-2], rows[key][-1]),
                                 (median, ratio, best))
        self.assertRegex(out, r"tls_put\s+quarv\s+1\.00\s+\(3 runs\)")


if __name__ == "__main__":
    unittest.main()
