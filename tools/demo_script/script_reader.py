"""Reads one game script the way the engine does: the text is turned into
code page 932 bytes with CR LF line ends (through iconv, as the engine's host
converts text), then cut into tags, labels, comments and message text."""
import subprocess
from dataclasses import dataclass, field


class ScriptError(Exception):
    """A script the engine would misread; the message names file and line."""


@dataclass
class Token:
    kind: str  # "tag", "label" or "text"
    raw: bytes  # the token's bytes as the engine copies them
    line: int  # 1-based line of the token's first byte
    name: bytes = b""  # tags: the command name
    args: list = field(default_factory=list)  # tags: the arguments, blanks kept
    lines: list = field(default_factory=list)  # text: the lines split at <CR>


def is_lead_byte(byte):
    return 0x81 <= byte <= 0x9F or 0xE0 <= byte <= 0xFC


def to_code_page_932(path, text_utf8):
    """The script as code page 932 bytes with CR LF line ends."""
    text = text_utf8.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    run = subprocess.run(["iconv", "-f", "UTF-8", "-t", "CP932"], input=text, capture_output=True)
    if run.returncode == 0:
        return run.stdout
    converted = len(run.stdout)
    # iconv stops at the first character it cannot write: find it by
    # converting the prefix one character at a time.
    decoded = text.decode("utf-8", errors="replace")
    for index, character in enumerate(decoded):
        one = subprocess.run(["iconv", "-f", "UTF-8", "-t", "CP932"], input=character.encode("utf-8"),
                             capture_output=True)
        if one.returncode != 0:
            line = decoded.count("\n", 0, index) + 1
            raise ScriptError(f"{path}:{line}: character U+{ord(character):04X} '{character}' is outside code page 932")
    raise ScriptError(f"{path}: iconv failed after {converted} bytes: {run.stderr.decode(errors='replace').strip()}")


def show(raw):
    """Bytes of the script for a message."""
    return raw.decode("cp932", errors="replace")


class ScriptReader:
    """Cuts code page 932 script bytes into tokens, as the engine reads them."""

    def __init__(self, path, data):
        self.path = path
        self.data = data

    def fail(self, line, message):
        raise ScriptError(f"{self.path}:{line}: {message}")

    def _tag_end(self, start):
        """Position after the '>' that closes the tag at start ('>=' does not)."""
        data, pos = self.data, start
        while pos < len(data):
            byte = data[pos]
            if is_lead_byte(byte):
                pos += 2
                continue
            if byte == ord(">") and not (pos + 1 < len(data) and data[pos + 1] == ord("=")):
                return pos + 1
            pos += 1
        return None

    def _split_tag(self, raw, line):
        body = raw[1:-1]
        name_end = len(body)
        for index, byte in enumerate(body):
            if byte in (0x20, 0x09):
                name_end = index
                break
        name = body[:name_end]
        rest = body[name_end:].lstrip(b" \t")
        args = []
        if rest:
            args, current, pos = [], bytearray(), 0
            while pos < len(rest):
                byte = rest[pos]
                if is_lead_byte(byte):
                    current += rest[pos:pos + 2]
                    pos += 2
                    continue
                if byte == ord(","):
                    args.append(bytes(current))
                    current = bytearray()
                else:
                    current.append(byte)
                pos += 1
            args.append(bytes(current))
        return name, args

    def tokens(self):
        data, pos, line = self.data, 0, 1
        while pos < len(data):
            byte = data[pos]
            if byte in (0x20, 0x09):
                pos += 1
            elif byte == 0x0D:
                pos += 2 if data[pos + 1:pos + 2] == b"\n" else 1
                line += 1
            elif data[pos:pos + 2] == b"//":
                end = data.find(b"\r\n", pos)
                pos = len(data) if end < 0 else end
            elif byte == ord("<"):
                end = self._tag_end(pos)
                if end is None:
                    self.fail(line, "tag without its closing '>'")
                raw = data[pos:end]
                if b"\r" in raw or b"\n" in raw:
                    self.fail(line, f"tag runs over a line end: {show(raw)}")
                name, args = self._split_tag(raw, line)
                yield Token("tag", raw, line, name, args)
                pos = end
            elif byte == ord("["):
                end = data.find(b"]", pos)
                if end < 0 or b"\r" in data[pos:end]:
                    self.fail(line, "label without its closing ']'")
                yield Token("label", data[pos:end + 1], line)
                pos = end + 1
            else:
                pos, line = yield from self._text(pos, line)

    def _text(self, pos, line):
        """Message text up to the tag that ends it; <CR> tags split its lines."""
        data, start_line = self.data, line
        raw, lines, current, source_line = bytearray(), [], bytearray(), bytearray()
        while pos < len(data) and data[pos] != ord("<"):
            byte = data[pos]
            if is_lead_byte(byte):
                raw += data[pos:pos + 2]
                current += data[pos:pos + 2]
                source_line += data[pos:pos + 2]
                pos += 2
            elif data[pos:pos + 2] == b"\r\n":
                self._check_text_line(source_line, line)
                source_line = bytearray()
                line += 1
                pos += 2
            else:
                raw.append(byte)
                current.append(byte)
                source_line.append(byte)
                pos += 1
            if data[pos:pos + 4].lower() == b"<cr>":
                raw += b"/"
                lines.append(bytes(current))
                current = bytearray()
                pos += 4
        if pos >= len(data):
            self.fail(start_line, "message text at the end of the script: end it with a tag")
        self._check_text_line(source_line, line)
        lines.append(bytes(current))
        yield Token("text", bytes(raw), start_line, lines=lines)
        return pos, line

    def _check_text_line(self, source_line, line):
        # Only a tag ends message text: a label or comment behind it would be shown.
        if b"//" in source_line or source_line.lstrip().startswith(b"["):
            self.fail(line, "a label or comment inside message text: end the text with a tag first")
