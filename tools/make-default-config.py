#!/usr/bin/env python3
"""Writes resources/Default.config, the configuration document compiled into the mixer.

The text form is fixed: no XML declaration, one element per line without indentation, CR LF after
every line (the last one too), empty elements for the entries and nodes, and attributes in a set
order. Run it from anywhere; it always writes the same bytes (14029).
"""

import pathlib

EOL = "\r\n"


def run(prefix, first, last):
    return [f"{prefix}{n}" for n in range(first, last + 1)]


SMALL_NAMES = [
    ("ApplicationPlayback", ["Monitor Playback L", "Monitor Playback R", "OTG Playback L",
                             "OTG Playback R", "SPDIF Playback L", "SPDIF Playback R"]),
    ("DeviceInput", ["Mic/Line/Inst In 1", "Mic/Line/Inst In 2", "OTG In 1", "OTG In 2",
                     "SPDIF In 1", "SPDIF In 2"]),
    ("VirtualPlayback", run("Virtual Playback ", 1, 4)),
    ("DeviceOutput", ["Monitor Out L", "Monitor Out R", "OTG Out 1", "OTG Out 2",
                      "SPDIF Out 1", "SPDIF Out 2"]),
    ("ApplicationRecording", ["Mic/Inst/Line Recording 1", "Mic/Inst/Line Recording 2",
                              "OTG Recording 1", "OTG Recording 2",
                              "SPDIF Recording 1", "SPDIF Recording 2"]),
    ("VirtualRecording", run("Virtual Recording ", 1, 4)),
]

LARGE_NAMES = [
    ("ApplicationPlayback", ["Monitor Playback L", "Monitor Playback R", "Analog Playback 3",
                             "Analog Playback 4", "Headphones Playback L", "Headphones Playback R",
                             "SPDIF Playback 1", "SPDIF Playback 2"]
                            + run("ADAT Playback ", 1, 8)),
    ("DeviceInput", run("Mic/Line/Inst In ", 1, 4) + ["SPDIF In 1", "SPDIF In 2"]
                    + run("ADAT In ", 1, 8)),
    ("VirtualPlayback", run("Virtual Playback ", 1, 4)),
    ("DeviceOutput", ["Monitor Out L", "Monitor Out R", "Analog Out 3", "Analog Out 4",
                      "Headphones Out L", "Headphones Out R", "SPDIF Out 1", "SPDIF Out 2"]
                     + run("ADAT Out ", 1, 8)),
    ("ApplicationRecording", run("Mic/Line/Inst Recording ", 1, 4)
                             + ["SPDIF Recording 1", "SPDIF Recording 2"]
                             + run("ADAT Recording ", 1, 8)),
    ("VirtualRecording", run("Virtual Recording ", 1, 4)),
]

# Macro name, input kind, output kind, and how node i picks its output index.
MACROS = [
    ("Playback", "ApplicationPlayback", "DeviceOutput", lambda i: i),
    ("Recording", "DeviceInput", "ApplicationRecording", lambda i: i),
    ("Loopback", "ApplicationPlayback", "ApplicationRecording", lambda i: i),
    ("Monitor", "DeviceInput", "DeviceOutput", lambda i: i % 2),
]

DEVICES = [
    ("Vantiq Pexa", SMALL_NAMES, 2),
    ("VANTIQ SULKA", SMALL_NAMES, 6),
    ("VANTIQ TROVIK", LARGE_NAMES, 16),
]


def escape(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
                .replace('"', "&quot;"))


def document():
    lines = ["<Config>"]
    for device, lists, node_count in DEVICES:
        lines.append(f'<Device name="{escape(device)}">')
        lines.append("<ChannelNames>")
        for pin, names in lists:
            lines.append(f'<Names pin="{pin}">')
            lines += [f'<Name name="{escape(name)}"/>' for name in names]
            lines.append("</Names>")
        lines.append("</ChannelNames>")
        lines.append("<Macros>")
        for name, input_kind, output_kind, output_index in MACROS:
            lines.append(f'<Macro name="{escape(name)}">')
            for i in range(node_count):
                lines.append(f'<Node input="{input_kind}" inputIdx="{i}" '
                             f'output="{output_kind}" outputIdx="{output_index(i)}"/>')
            lines.append("</Macro>")
        lines.append("</Macros>")
        lines.append("</Device>")
    lines.append("</Config>")
    return "".join(line + EOL for line in lines)


def main():
    target = pathlib.Path(__file__).resolve().parent.parent / "resources" / "Default.config"
    target.write_bytes(document().encode("utf-8"))
    print(f"{target}: {target.stat().st_size} bytes")


if __name__ == "__main__":
    main()
