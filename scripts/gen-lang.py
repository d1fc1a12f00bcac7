#!/usr/bin/env python3
"""Writes the code page 866 language and help files from their UTF-8 sources.

dist/src/NAME.utf8.EXT becomes dist/NAME.EXT: CR LF line ends, code page 866 bytes, no BOM.
The host reads these files byte for byte and never converts them, so the committed files must
be the converted bytes. Run after editing a source; --check only reports stale files (exit 1).
"""
import pathlib
import sys

DIST = pathlib.Path(__file__).resolve().parent.parent / "dist"


def convert(source: pathlib.Path) -> bytes:
    text = source.read_bytes().decode("utf-8")
    if text.startswith("\ufeff"):
        text = text[1:]
    lines = text.replace("\r\n", "\n").replace("\r", "\n").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    # a character code page 866 lacks (a typographic dash, curly quotes) stops the run here
    return "".join(line + "\r\n" for line in lines).encode("cp866")


def main() -> int:
    check = "--check" in sys.argv[1:]
    stale = 0
    for source in sorted((DIST / "src").glob("*.utf8.*")):
        target = DIST / source.name.replace(".utf8", "")
        try:
            data = convert(source)
        except UnicodeError as err:
            print(f"{source}: {err}", file=sys.stderr)
            return 2
        if target.exists() and target.read_bytes() == data:
            continue
        stale += 1
        if check:
            print(f"{target} is out of date; run {sys.argv[0]}", file=sys.stderr)
        else:
            target.write_bytes(data)
            print(f"wrote {target}")
    return 1 if check and stale else 0


if __name__ == "__main__":
    sys.exit(main())
