"""The replay's text: runs of timed input and screenshots in design points,
and each run's input for one screen by the engine's own conversion."""

import sys

DESIGN_WIDTH = 800
DESIGN_HEIGHT = 600
POINTER_ACTIONS = ("tap", "down", "up", "move")

# A run that leaves by the title's exit gets the close box this much later,
# so a missed exit still ends.
EXIT_GRACE_MS = 5000


class Run:
    def __init__(self, number, end, ending):
        self.number = number
        self.end = end          # ms: the close box, or the title's exit chosen
        self.ending = ending    # "close" or "exit"
        self.inputs = []        # (time, action, args)
        self.shots = []         # (time, name, is_movie)


def read_replay(path):
    runs = []
    with open(path, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            where = "%s:%d" % (path, number)
            if words[0] == "run":
                if len(words) != 4 or words[2] not in ("close", "exit"):
                    sys.exit("%s: expected 'run N close|exit END_MS'" % where)
                runs.append(Run(int(words[1]), int(words[3]), words[2]))
                continue
            if not runs:
                sys.exit("%s: an entry before the first run" % where)
            time, action, args = int(words[0]), words[1], words[2:]
            if action == "shot":
                if len(args) not in (1, 2) or (len(args) == 2 and args[1] != "movie"):
                    sys.exit("%s: expected 'TIME shot NAME [movie]'" % where)
                runs[-1].shots.append((time, args[0], len(args) == 2))
            else:
                if action in POINTER_ACTIONS and len(args) != 2:
                    sys.exit("%s: expected 'TIME %s X Y'" % (where, action))
                runs[-1].inputs.append((time, action, args))
    return runs


def screen_input(run, width, height):
    """The run's input script for one screen: design points converted as the
    engine converts them (multiply first, truncate)."""
    lines = []
    for time, action, args in run.inputs:
        if action in POINTER_ACTIONS:
            args = [str(int(args[0]) * width // DESIGN_WIDTH), str(int(args[1]) * height // DESIGN_HEIGHT)]
        lines.append(" ".join([str(time), action] + args))
    return "\n".join(lines) + "\n"
