# SPDX-License-Identifier: GPL-3.0-or-later
"""Times shell commands side by side, their runs taken in turn so that
whatever else the machine does weighs on each alike:

    side_by_side.py RUNS PREPARE COMMAND [COMMAND...]

PREPARE runs, untimed, before every run of every command; a command may
hold {run}, the number of the run, for outputs of their own. Prints each
command's median with the fastest and slowest run, and the ratio of the
first median to each of the others."""
import statistics
import subprocess
import sys
import time


def main():
    runs, prepare, commands = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
    times = [[] for _ in commands]
    for run in range(1, runs + 1):
        for i, command in enumerate(commands):
            subprocess.run(prepare, shell=True, check=True)
            start = time.perf_counter()
            subprocess.run(command.format(run=run), shell=True, check=True,
                           stdout=subprocess.DEVNULL)
            times[i].append(time.perf_counter() - start)
    medians = [statistics.median(t) for t in times]
    for command, t, median in zip(commands, times, medians):
        print(f"{median:8.3f} s median ({min(t):.3f} to {max(t):.3f})  {command}")
    for command, median in zip(commands[1:], medians[1:]):
        print(f"ratio {medians[0] / median:.2f} to {command}")


if __name__ == "__main__":
    main()
