#!/usr/bin/env python3
"""Converts the demo game's UTF-8 scripts into the engine's code page 932
scripts with CR LF line ends, refusing anything the engine would misread.

    tools/demo_script/demo_script.py --names NAMES --out DIR SCRIPT...

NAMES lists the pictures, sounds and movies the data holds (one name a line,
'#' starts a comment). Every script of the set is checked before any is
written: characters outside code page 932, the engine's length limits, unknown
commands, jumps to a missing label or script and names the data lacks each
stop the conversion with "file:line: message" and exit status 1.
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from script_reader import ScriptError, ScriptReader, is_lead_byte, show, to_code_page_932  # noqa: E402

COMMANDS = [
    "CR", "KW", "WinClear", "TW", "Rnd", "Reversal", "TitleReturn", "TW200", "IF", "Mov", "Jump", "JumpR", "Return",
    "Inc", "Ifs", "WinFrame", "WinFrameType", "WaitIcon", "WinFontSize", "WinType", "SystemIcon", "WinDisplay",
    "WinFontColor", "MessageSpeed", "WinRubi", "/WinFontColor", "BgSetColor", "BgSet", "BgSetXY", "ChrSetXY", "ChrSet",
    "ChrMove", "ChrDel", "ChrSetPry", "ChrSetARGB", "UpDate", "Effect", "SndPlay", "SndStop", "MoviePlay", "SltDel",
    "SltAdd", "SltRun",
]
COMMAND_BY_KEY = {name.lower(): name for name in COMMANDS}
TRANSITIONS = {"normal", "cross", "imagecross", "zoom", "zoomr", "scroll"}
EFFECTS = {"shake"}
CHARACTER_COMMANDS = {"ChrSetXY", "ChrSet", "ChrMove", "ChrDel", "ChrSetPry", "ChrSetARGB"}
CHARACTER_SLOTS = 5

TOKEN_BYTES = 255
TAG_NAME_BYTES = 31
ARGUMENTS = 16
ARGUMENT_BYTES = 31
SCRIPT_NAME_BYTES = 23
VOICE_NAME_BYTES = 23
PICTURE_NAME_BYTES = 27
SPEAKER_BYTES = 31
PAGE_LINES = 3
LINE_WIDTH = 56  # half-width columns: 28 full-width characters
PAGE_GLYPHS = 160
PAGE_BYTES = 159
SPEAKER_OPEN, SPEAKER_CLOSE = "【".encode("cp932"), "】".encode("cp932")


def glyphs(raw):
    """(characters, half-width columns) of code page 932 text."""
    count = width = pos = 0
    while pos < len(raw):
        step = 2 if is_lead_byte(raw[pos]) else 1
        count += 1
        width += step
        pos += step
    return count, width


class Page:
    """The text shown between two WinClear tags."""

    def __init__(self):
        self.lines = [b""]
        self.text_bytes = 0
        self.has_text = False


class ScriptChecker:
    """Checks one script's tokens against the engine's limits; collects the
    labels it defines and the jumps and names it uses."""

    def __init__(self, path, names):
        self.path = path
        self.names = names
        self.labels = set()
        self.jumps = []  # (line, script or None, label)
        self.window_mode = True
        self.page = Page()

    def fail(self, line, message):
        raise ScriptError(f"{self.path}:{line}: {message}")

    def check(self, tokens):
        for token in tokens:
            if len(token.raw) > TOKEN_BYTES:
                self.fail(token.line, f"{token.kind} of {len(token.raw)} bytes, more than {TOKEN_BYTES}")
            if token.kind == "label":
                self._label(token)
            elif token.kind == "tag":
                self._tag(token)
            else:
                self._text(token)

    def _label(self, token):
        name = token.raw[1:-1]
        if not name or any(byte >= 0x80 or byte <= 0x20 for byte in name):
            self.fail(token.line, f"label {show(token.raw)} must be ASCII without blanks")
        if len(name) > ARGUMENT_BYTES:
            self.fail(token.line, f"label {show(token.raw)} longer than {ARGUMENT_BYTES} bytes")
        self.labels.add(name.decode())

    def _tag(self, token):
        name = show(token.name)
        if len(token.name) > TAG_NAME_BYTES:
            self.fail(token.line, f"command name {name} longer than {TAG_NAME_BYTES} bytes")
        command = COMMAND_BY_KEY.get(name.lower())
        if command is None:
            self.fail(token.line, f"unknown command {show(token.raw)}")
        if len(token.args) > ARGUMENTS:
            self.fail(token.line, f"{command} has {len(token.args)} arguments, more than {ARGUMENTS}")
        for arg in token.args:
            if b" " in arg or b"\t" in arg:
                self.fail(token.line, f"ASCII blank inside {show(token.raw)} (the engine drops it): use a full-width space")
            if len(arg) > ARGUMENT_BYTES:
                self.fail(token.line, f"argument {show(arg)} of {command} longer than {ARGUMENT_BYTES} bytes")
        args = [show(arg) for arg in token.args]
        if command in CHARACTER_COMMANDS:
            self._character_slot(token.line, command, args)
        handler = getattr(self, "_command_" + command.lstrip("/"), None)
        if handler is not None:
            handler(token.line, args)

    def _want(self, line, command, args, low, high=None):
        high = low if high is None else high
        if not low <= len(args) <= high:
            wanted = str(low) if low == high else f"{low} to {high}"
            self.fail(line, f"{command} takes {wanted} arguments, not {len(args)}")

    def _condition(self, line, text):
        inner = text[1:].split(")", 1)[0] if text.startswith("(") else text
        cut = next((i for i, c in enumerate(inner) if c in "=!<>"), None)
        operator = "" if cut is None else inner[cut:len(inner) - len(inner[cut:].lstrip("=!<>"))]
        right = "" if cut is None else inner[cut + len(operator):]
        if cut is None or cut == 0 or not right:
            self.fail(line, f"condition {text} is not 'left operator right' ('>' can only be written as '>=')")
        if operator not in ("==", "!=", ">=", "<", "<="):
            self.fail(line, f"condition {text}: operator {operator} (use ==, !=, >=, < or <=)")
        if right.startswith("-"):
            self.fail(line, f"condition {text}: a negative number is read as a variable name")

    def _conditions(self, line, args):
        for index, text in enumerate(args):
            if index % 2 == 0:
                self._condition(line, text)
            elif text not in ("|", "&"):
                self.fail(line, f"conditions are joined by | or &, not {text}")

    def _script_name(self, line, name):
        if len(name.encode("cp932")) > SCRIPT_NAME_BYTES:
            self.fail(line, f"script name {name} longer than {SCRIPT_NAME_BYTES} bytes")
        return name

    def _name(self, line, name, what, limit):
        stem = name.rsplit(".", 1)[0] if "." in name else name
        if len(stem.encode("cp932")) > limit:
            self.fail(line, f"{what} name {stem} longer than {limit} bytes")
        if stem not in self.names:
            self.fail(line, f"{what} {stem} is not in the data's names list")

    def _character_slot(self, line, command, args):
        if command == "ChrDel" and args == ["ALL"]:
            return
        if not args or args[0] not in [str(slot) for slot in range(CHARACTER_SLOTS)]:
            self.fail(line, f"{command} needs a character slot 0 to {CHARACTER_SLOTS - 1} first")

    def _command_IF(self, line, args):
        if len(args) < 2 or len(args) % 2 != 0:
            self.fail(line, "IF takes a label and conditions joined by | or &")
        self.jumps.append((line, None, args[0]))
        self._conditions(line, args[1:])

    def _command_Ifs(self, line, args):
        if len(args) < 3 or len(args) % 2 != 1:
            self.fail(line, "Ifs takes a script, a label and conditions joined by | or &")
        self.jumps.append((line, self._script_name(line, args[0]), args[1]))
        self._conditions(line, args[2:])

    def _command_Jump(self, line, args):
        self._want(line, "Jump", args, 1, 2)
        self.jumps.append((line, self._script_name(line, args[1]) if len(args) == 2 else None, args[0]))

    def _command_JumpR(self, line, args):
        self._want(line, "JumpR", args, 2)
        self.jumps.append((line, self._script_name(line, args[1]), args[0]))

    def _command_TitleReturn(self, line, args):
        if args != ["MENU"]:
            self.fail(line, "TitleReturn takes only MENU")

    def _command_Mov(self, line, args):
        self._want(line, "Mov", args, 2)

    def _command_Inc(self, line, args):
        self._want(line, "Inc", args, 1)

    def _command_Rnd(self, line, args):
        self._want(line, "Rnd", args, 3)

    def _command_BgSet(self, line, args):
        self._want(line, "BgSet", args, 1)
        self._name(line, args[0], "picture", PICTURE_NAME_BYTES)

    def _command_ChrSet(self, line, args):
        self._want(line, "ChrSet", args, 2)
        self._name(line, args[1], "picture", PICTURE_NAME_BYTES)

    def _command_UpDate(self, line, args):
        if not args or args[0].lower() not in TRANSITIONS:
            self.fail(line, f"UpDate kind {args[0] if args else ''} is none of Normal, Cross, ImageCross, Zoom, "
                      "ZoomR, Scroll")
        if args[0].lower() == "imagecross":
            self._want(line, "UpDate ImageCross", args, 3)
            self._name(line, args[2], "rule picture", PICTURE_NAME_BYTES)

    def _command_Effect(self, line, args):
        if not args or args[0].lower() not in EFFECTS:
            self.fail(line, f"Effect kind {args[0] if args else ''} is not Shake")

    def _command_SndPlay(self, line, args):
        self._want(line, "SndPlay", args, 2, 3)
        voice = args[0].lower().startswith("voice")
        self._name(line, args[1], "sound", VOICE_NAME_BYTES if voice else ARGUMENT_BYTES)

    def _command_MoviePlay(self, line, args):
        self._want(line, "MoviePlay", args, 1)
        self._name(line, args[0], "movie", ARGUMENT_BYTES)

    def _command_SltAdd(self, line, args):
        self._want(line, "SltAdd", args, 2, 3)
        if len(args) == 3:
            self.jumps.append((line, None, args[1]))

    def _command_WinType(self, line, args):
        self._want(line, "WinType", args, 1)
        if args[0] not in ("WINDOW", "NOVEL"):
            self.fail(line, f"WinType {args[0]} is neither WINDOW nor NOVEL")
        self.window_mode = args[0] == "WINDOW"

    def _command_WinClear(self, line, args):
        self.page = Page()

    def _text(self, token):
        page = self.page
        lines = list(token.lines)
        if lines[0].startswith(SPEAKER_OPEN) and not page.has_text:
            close = lines[0].find(SPEAKER_CLOSE)
            if close < 0:
                self.fail(token.line, "speaker name without its closing 】")
            speaker = lines[0][:close + len(SPEAKER_CLOSE)]
            if len(speaker) > SPEAKER_BYTES:
                self.fail(token.line, f"speaker {show(speaker)} longer than {SPEAKER_BYTES} bytes")
            if not self.window_mode:
                self.fail(token.line, "a speaker name on a NOVEL page (names only in WINDOW mode)")
            lines[0] = lines[0][len(speaker):]
        page.has_text = True
        page.lines[-1] += lines[0]
        page.lines.extend(lines[1:])
        page.text_bytes += len(token.raw) - (len(token.lines[0]) - len(lines[0]))
        if self.window_mode and len(page.lines) > PAGE_LINES:
            self.fail(token.line, f"page of {len(page.lines)} lines, more than {PAGE_LINES}")
        for text in page.lines:
            if glyphs(text)[1] > LINE_WIDTH:
                self.fail(token.line, f"line {show(text)} wider than {LINE_WIDTH // 2} full-width characters")
        if sum(glyphs(text)[0] for text in page.lines) > PAGE_GLYPHS:
            self.fail(token.line, f"page of more than {PAGE_GLYPHS} characters")
        if page.text_bytes > PAGE_BYTES:
            self.fail(token.line, f"page text of {page.text_bytes} bytes, more than {PAGE_BYTES}")


def read_names(path):
    names = set()
    with open(path, encoding="utf-8") as listing:
        for line in listing:
            words = line.split("#", 1)[0].split()
            names.update(words)
    return names


def convert(script_paths, names):
    """Checks the set of scripts; returns {file name: code page 932 bytes}."""
    converted, checkers = {}, {}
    for path in script_paths:
        base = os.path.basename(path)
        if len(base.encode()) > SCRIPT_NAME_BYTES or not base.isascii():
            raise ScriptError(f"{path}: script name {base} must be ASCII of at most {SCRIPT_NAME_BYTES} bytes")
        with open(path, "rb") as source:
            data = to_code_page_932(path, source.read())
        checker = ScriptChecker(path, names)
        checker.check(ScriptReader(path, data).tokens())
        converted[base] = data
        checkers[base] = checker
    by_key = {base.lower(): checker for base, checker in checkers.items()}
    for base, checker in checkers.items():
        for line, script, label in checker.jumps:
            target = checker if script is None else by_key.get(script.lower())
            if target is None:
                raise ScriptError(f"{checker.path}:{line}: script {script} is not in the set")
            if label and label not in target.labels:
                raise ScriptError(f"{checker.path}:{line}: label {label} is not in {script or base}")
    return converted


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--names", required=True, help="the data's picture, sound and movie names")
    parser.add_argument("--out", required=True, help="folder for the converted scripts")
    parser.add_argument("scripts", nargs="+")
    options = parser.parse_args(argv)
    try:
        converted = convert(options.scripts, read_names(options.names))
    except (ScriptError, OSError) as error:
        print(f"demo_script: {error}", file=sys.stderr)
        return 1
    os.makedirs(options.out, exist_ok=True)
    for base, data in converted.items():
        with open(os.path.join(options.out, base), "wb") as out:
            out.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
