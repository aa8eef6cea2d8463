"""A run's frame costs ("--frame-costs" files): its length on the program
clock, and the work of each frame period."""

FRAME_PERIOD_MS = 16


def virtual_length(costs_path):
    """The run's last instant on the program clock: its last frame-costs line."""
    last = 0
    with open(costs_path, encoding="ascii") as source:
        for line in source:
            last = int(line.split()[0])
    return last


def frame_costs(paths):
    """The work of each frame period in ms of real time: the dearest instant
    of virtual time in each 16 ms, since a frame's work all happens at one."""
    periods = {}
    for path in paths:
        with open(path, encoding="ascii") as source:
            for line in source:
                virtual_ms, real_us = (int(word) for word in line.split())
                key = (path, virtual_ms // FRAME_PERIOD_MS)
                periods[key] = max(periods.get(key, 0), real_us)
    return sorted(cost / 1000 for cost in periods.values())
