#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into fuzz/corpus/<target>/.

The seeds come from the example scenarios (their notifications, typed values
and lines) and from a few hand-made inputs for what the examples never show:
malformed documents, state elements, response codes, odd typed numbers.
Run it again after the examples change; the files are small and checked in.
"""
import hashlib
import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parent
EXAMPLES = ROOT.parent / "examples"
CORPUS = ROOT / "corpus"


def write(target, data):
    if isinstance(data, str):
        data = data.encode("utf-8")
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / hashlib.sha1(data).hexdigest()[:16]).write_bytes(data)


scenario_lines = []
for scenario in sorted(EXAMPLES.glob("*.scn")):
    text = scenario.read_text(encoding="utf-8")
    scenario_lines += [line for line in text.splitlines() if line.strip()]
    write("scenario", text)

# update_ui: "CODE\nDETAILS".
for line in scenario_lines:
    match = re.match(r"notify (-?\d+) (.*)$", line)
    if match:
        write("update_ui", match.group(1) + "\n" + match.group(2))
for extra in [
    "0\n<DTMInfo state='Offline' />",
    "0\n<DTMInfo state='Online' /> and more",
    "4000\n<Parameters><Parameter tag=\"Response Code 1\" value=\"14\"/>"
    "<Parameter tag=\"Response Code 2\" value=\"11\"/></Parameters>",
    "100\n<a><b><c><d tag=\"Tag\" value=\"\"/></c></b></a>",
    "2400\n<Parameters><Parameter tag=\"LoopCurrent\" value=\"1.#QNAN\"/></Parameters>",
    "100\n<Parameters><Parameter tag=\"Tag\" value=\"ZZ\"/>",
    "2700\n<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><P><x tag=\"SnsMinTemp\" value=\"-5000\"/></P>",
    "100\n<P>text<x tag='Date' value='\xff\xfe'/></P>",
]:
    write("update_ui", extra)

# float_hex and number_codes: a locale line and a typed text.
typed = set()
for line in scenario_lines:
    match = re.match(r'set txtParameter\(\d+\) "?([^"]*)"?$', line)
    if match:
        typed.add(match.group(1))
typed |= {"20", "-1.5", "0,5", "1000.75", "12.3456", "0.1", "1.00001", "-0", "0000000001.5", "1e3",
          "1,000.5", " 7 ", "", "abc", "99999999999", "0.9999999999999999", "1.5E-7"}
for text in sorted(typed):
    for locale in ".,":
        write("float_hex", locale + "\n" + text)
        write("number_codes", locale + "\n" + text)

# hart_text: two count bytes and the byte text of the identification values.
for line in scenario_lines:
    for value in re.findall(r'value="([0-9A-F]{12,})"', line):
        write("hart_text", bytes([24 + 8, 32 + 8]) + value.encode())
        write("hart_text", bytes([6 + 8, 8 + 8]) + value.encode())

# date: typed dates.
for text in ["15/3/2006", "1/1/2024", "31/12/1899", "0/0/0", "1/1/24", "15/3/2006/7", "a/b/c", "-1/-1/-1",
             "1e2/1/2000", "32767/32767/32767"]:
    write("date", text)

# line_parser: every example line and a few quoting cases.
for line in scenario_lines + ['set txtParameter(3) "a \\"quoted\\" \\\\ text"', 'click "unterminated',
                              "notify 100 \\n\\t\\\\ raw", "   # comment", "tab SSTabObserve 1\r"]:
    write("line_parser", line)

# hart_receiver: byte streams a modem delivers, built from frames seen on real
# devices: preambles, the echo of our request, replies, bursts, error replies.
hart_frames = [
    "02 80 00 00 82",
    "06 80 00 0E 00 14 FE 1A 89 07 05 02 1B 08 01 21 63 3F 9E",
    "06 C0 00 18 00 10 FE F9 FD 00 07 02 32 4E 00 95 26 6F 00 03 00 01 01 00 F9 00 F9 41 D3",
    "86 B9 FD 95 26 6F 36 02 05 10 3F",
    "86 B9 FD 95 26 6F 1F 04 40 00 02 15 52",
    "82 B9 FD 95 26 6F 1F 09 02 15 00 00 00 00 00 00 01 1A",
    "81 C0 FD 95 26 6F 09 04 00 00 00 00 6D",
    "06 80 00 02 88 00 0C",
]
for reply in hart_frames[1:]:
    write("hart_receiver", bytes.fromhex("FF FF FF FF FF " + reply))
    write("hart_receiver", bytes.fromhex("00 13 FF FF FF FF FF " + hart_frames[0] + " FF FF " + reply))
write("hart_receiver", bytes.fromhex("FF " + hart_frames[1] + " FF FF 07 FF FF " + hart_frames[3]))

# device_dispatch: whole request frames to the simulated HART device, and runs
# of `length, command, data` requests: identification, reads, writes with
# write protection and a reset between them.
def with_check_byte(frame):
    data = bytes.fromhex(frame)
    check = 0
    for byte in data:
        check ^= byte
    return data + bytes([check])


for frame in ["02 80 00 00", "82 A3 01 01 E2 40 01 00", "82 80 00 00 00 00 0B 06 51 4B 76 C3 18 20"]:
    write("device_dispatch", with_check_byte(frame))
    write("device_dispatch", b"\xff" * 5 + with_check_byte(frame))
for run in ["00 00 00 01 00 30 01 81 00", "02 8B 01 00 03 13 00 00 01 00 2A 03 13 00 00 01",
            "0A 83 FF 20 43 16 00 00 00 00 00 00 00 8D 01 00 20 41 A0 00 00",
            "05 28 41 40 00 00 04 2D 40 80 00 00 00 97"]:
    write("device_dispatch", bytes.fromhex(run))

# hart_ip: HART-IP messages as a socket delivers them: session initiate and
# its answer with a changed timer, keep-alive, pass-through, and two
# messages in one TCP read.
for message in ["01 00 00 00 00 01 00 0D 01 00 00 EA 60", "01 01 00 08 00 01 00 0D 01 00 01 5F 90",
                "01 00 02 00 00 02 00 08", "01 00 03 00 00 03 00 0D 02 80 00 00 82",
                "01 00 03 00 00 03 00 0D 02 80 00 00 82 01 00 01 00 00 04 00 08"]:
    write("hart_ip", bytes.fromhex(message))
