"""The collection scan done with Python's zipfile and xml.etree.ElementTree, for comparison.

    python3 scripts/bench/scan_peer.py FOLDER

Prints the same rows as `kelvara-cli scan FOLDER` under the C locale: file name, widget name
(the root's first "description" child, line feeds removed), size in bytes and modification date
("d MMM yyyy HH:mm:ss", seconds rounded down to even, no time at midnight), tab-separated, one
package (a file whose name ends in ".wgt" in any letter case) per line, in name order.
"""

import os
import sys
import time
import xml.etree.ElementTree as ET
import zipfile

MONTHS = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()


def local_name(tag):
    return tag.rsplit("}", 1)[-1] if isinstance(tag, str) else ""


def widget_name(path):
    try:
        with zipfile.ZipFile(path) as archive:
            try:
                data = archive.read("config.xml")
            except KeyError:
                return ""
        root = ET.fromstring(data)
    except (zipfile.BadZipFile, ET.ParseError, OSError):
        return ""
    for child in root:
        if local_name(child.tag) == "description":
            return (child.text or "").replace("\n", "")
    return ""


def date_text(mtime):
    t = time.localtime(int(mtime) // 2 * 2)
    text = "%d %s %d" % (t.tm_mday, MONTHS[t.tm_mon - 1], t.tm_year)
    if (t.tm_hour, t.tm_min, t.tm_sec) != (0, 0, 0):
        text += " %02d:%02d:%02d" % (t.tm_hour, t.tm_min, t.tm_sec)
    return text


def main():
    folder = sys.argv[1]
    rows = []
    with os.scandir(folder) as entries:
        for entry in entries:
            if not entry.name.lower().endswith(".wgt") or entry.is_dir():
                continue
            st = entry.stat()
            rows.append((entry.name, widget_name(entry.path), st.st_size, date_text(st.st_mtime)))
    rows.sort()
    out = sys.stdout
    for name, widget, size, date in rows:
        out.write("%s\t%s\t%d\t%s\n" % (name, widget, size, date))


if __name__ == "__main__":
    main()
