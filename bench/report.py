"""The benchmark's figures as tables: one list of sections, printed as aligned text and
written as Markdown, so the two never disagree."""

import statistics
from dataclasses import dataclass, field
from typing import List, Sequence


@dataclass
class Section:
    title: str
    header: Sequence[str]
    rows: List[Sequence[str]] = field(default_factory=list)
    notes: List[str] = field(default_factory=list)


def spread(seconds):
    """(median, min, max) in milliseconds."""
    ms = [s * 1000.0 for s in seconds]
    return statistics.median(ms), min(ms), max(ms)


def timing(seconds):
    if not seconds:
        return "-"
    median, low, high = spread(seconds)
    if len(seconds) == 1:
        return f"{median:.0f}"
    return f"{median:.0f} [{low:.0f}-{high:.0f}]"


def verdict(ok):
    return "PASS" if ok else "FAIL"


def as_text(sections, preamble=()):
    out = list(preamble)
    for section in sections:
        out += ["", section.title, "=" * len(section.title)]
        table = [list(section.header)] + [list(map(str, row)) for row in section.rows]
        widths = [max(len(row[i]) for row in table) for i in range(len(section.header))]
        for n, row in enumerate(table):
            out.append("  ".join(cell.ljust(widths[i]) for i, cell in enumerate(row)).rstrip())
            if n == 0:
                out.append("  ".join("-" * w for w in widths))
        out += [f"  * {note}" for note in section.notes]
    return "\n".join(out) + "\n"


def _cell(text):
    return str(text).replace("|", "\\|")


def as_markdown(sections, title, preamble=()):
    out = [f"# {title}", ""] + list(preamble)
    for section in sections:
        out += ["", f"## {section.title}", ""]
        out.append("| " + " | ".join(map(_cell, section.header)) + " |")
        out.append("|" + "|".join("---" for _ in section.header) + "|")
        out += ["| " + " | ".join(map(_cell, row)) + " |" for row in section.rows]
        if section.notes:
            out.append("")
            out += [f"- {note}" for note in section.notes]
    return "\n".join(out) + "\n"
