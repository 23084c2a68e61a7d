#!/usr/bin/env python3
"""Writes the benchmark job files into DIR, with target paths below WINDIR
(the Windows name of DIR's output folder). Windows-1252 bytes, CR LF lines."""
import os
import sys

out_dir, win_dir = sys.argv[1], sys.argv[2]
os.makedirs(out_dir, exist_ok=True)

def block(header, payload):
    return ("(((HEADERSTART)))\r\n" + header + "\r\n(((HEADEREND)))\r\n(((DATASTART)))"
            + payload + "(((DATAEND)))\r\n")

def line_payload(size):
    line = "Titel;Verlag;Ort;2024;ISBN 978-3-16-148410-0;Schl\xfcssel\r\n"
    text = (line * (size // len(line) + 1))[:size - 2] + "\r\n"
    return text

def write(name, text):
    with open(os.path.join(out_dir, name), "wb") as f:
        f.write(text.encode("cp1252"))

small = line_payload(1024)
write("small.qor",
      block("Ziel=Datei*\r\nDateiname=%s\\small.txt*" % win_dir, small)
      + block("Ziel=Zwischenablage*", small))
write("smallfile.qor", block("Ziel=Datei*\r\nDateiname=%s\\small.txt*" % win_dir, small))

def append_job(total_bytes, blocks):
    payload = line_payload(total_bytes // blocks)
    header = "Ziel=Datei*\r\nDateiname=%s\\append.txt*\r\nAnhaengen=Ja*" % win_dir
    return "".join(block(header, payload) for _ in range(blocks))

write("append64.qor", append_job(64 << 20, 10000))
write("append16.qor", append_job(16 << 20, 2500))
write("append1.qor", append_job(1 << 20, 160))

payload = line_payload(1024)
write("save2000.qor", "".join(
    block("Ziel=Datei*\r\nDateiname=%s\\save\\d%04d\\f.txt*" % (win_dir, i), payload)
    for i in range(2000)))

# Replacing files that exist: 2,000 blocks over 20 files, each saved 100 times.
write("replace2000.qor", "".join(
    block("Ziel=Datei*\r\nDateiname=%s\\r%02d.txt*" % (win_dir, i % 20), payload)
    for i in range(2000)))

# 10,000 blocks that each write a trace line: their files lie in a directory
# named with forward slashes, which is never created, so every block fails.
slashed = win_dir.replace("\\", "/")
write("traced10000.qor", "".join(
    block("Ziel=Datei*\r\nDateiname=%s/fehlt/f%05d.txt*" % (slashed, i), "x")
    for i in range(10000)))
