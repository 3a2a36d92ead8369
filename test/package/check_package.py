"""Checks the release ZIP: exactly both deliverables, both menu files and the user README,
the programs byte for byte those that were built and tested, the texts with CR LF."""

import sys
import zipfile
from pathlib import Path

EXPECTED = {"menu-launcher-64.exe", "menu-launcher-32.exe", "Morlavent_64.mns",
            "Morlavent_32.mns", "README.txt"}


def main(zip_path, bin_dir, repo):
    problems = []
    with zipfile.ZipFile(zip_path) as archive:
        names = {Path(info.filename).name: info for info in archive.infolist()
                 if not info.is_dir()}
        if set(names) != EXPECTED:
            problems.append(f"files {sorted(names)} instead of {sorted(EXPECTED)}")
        for name, info in names.items():
            data = archive.read(info)
            if name.endswith(".exe"):
                built = (Path(bin_dir) / name).read_bytes()
                if data != built:
                    problems.append(f"{name} differs from the built one")
            else:
                source = Path(repo) / ("menu" if name.endswith(".mns") else "package") / name
                if data != source.read_bytes():
                    problems.append(f"{name} differs from {source}")
                if b"\n" in data.replace(b"\r\n", b""):
                    problems.append(f"{name} has a line not ended by CR LF")
    for problem in problems:
        print(problem)
    print(f"{Path(zip_path).name}: {Path(zip_path).stat().st_size} bytes, "
          f"{'OK' if not problems else 'FAILED'}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
