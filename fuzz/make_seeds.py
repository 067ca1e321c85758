#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target under fuzz/corpus/<target>/ (run from anywhere).

Each seed is a small input made by hand: wave files well formed and not, preference images,
formula and seconds texts. The fuzzers grow their own corpora from these; the replay tests run
them as they are.
"""
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")

# 32 values of a ramp, as 16-bit little-endian samples.
RAMP = b"".join(struct.pack("<h", -16000 + 1000 * i) for i in range(32))
TRAILER = (b"LIST" + struct.pack("<I", 74) + b"INFOISFT" + struct.pack("<I", 62) +
           b"sonarium - 16-bit PCM sound workbench".ljust(62, b"\0"))
EXTENSIBLE_PCM = bytes([0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA,
                        0x00, 0x38, 0x9B, 0x71])


def chunk(ident, payload, size=None):
    size = len(payload) if size is None else size
    pad = b"\0" if len(payload) % 2 else b""
    return ident + struct.pack("<I", size) + payload + pad


def fmt(tag=1, channels=1, rate=44100, bits=16, align=None, extra=b""):
    align = channels * bits // 8 if align is None else align
    return struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits) + extra


def riff(*chunks, size=None, form=b"WAVE"):
    body = form + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body) if size is None else size) + body


def waves():
    pcm = chunk(b"fmt ", fmt())
    data = chunk(b"data", RAMP)
    extensible = fmt(0xFFFE, 2, extra=struct.pack("<HHI", 22, 16, 3) + EXTENSIBLE_PCM)
    return {
        "mono.wav": riff(pcm, data, chunk(b"LIST", TRAILER[8:])),
        "stereo.wav": riff(chunk(b"fmt ", fmt(channels=2)), data, TRAILER),
        "eightbit.wav": riff(chunk(b"fmt ", fmt(bits=8, rate=11025)), chunk(b"data", bytes(range(0, 256, 8)))),
        "eightbit_stereo_odd.wav": riff(chunk(b"fmt ", fmt(bits=8, channels=2)), chunk(b"data", bytes(range(1, 250, 9)))),
        "three_channels.wav": riff(chunk(b"fmt ", fmt(channels=3)), chunk(b"data", RAMP[:60])),
        "float.wav": riff(chunk(b"fmt ", fmt(tag=3, bits=32)), data),
        "extensible.wav": riff(chunk(b"fmt ", extensible), data),
        "fmt18.wav": riff(chunk(b"fmt ", fmt(extra=b"\0\0")), data),
        "huge_sizes.wav": riff(pcm, chunk(b"data", RAMP, size=0xFFFFFFF0), size=0xFFFFFFFF),
        "list_before_data.wav": riff(pcm, chunk(b"LIST", b"INFO"), data),
        "odd_chunk.wav": riff(pcm, chunk(b"junk", b"abc"), data),
        "odd_data.wav": riff(pcm, chunk(b"data", RAMP[:17])),
        "no_fmt.wav": riff(data),
        "no_data.wav": riff(pcm),
        "zero_channels.wav": riff(chunk(b"fmt ", fmt(channels=0, align=0)), data),
        "short_fmt.wav": riff(chunk(b"fmt ", fmt()[:12]), data),
        "truncated.wav": riff(pcm, size=0xB6) + b"data",
        "data_past_end.wav": riff(pcm, chunk(b"data", RAMP, size=4096)),
        "not_wave.wav": riff(pcm, data, form=b"AVI "),
    }


def preferences():
    def image(output=b"tempsnds/", beep=b"sonarium/res/beep.rc2", flags=(0x00, 0x0C), rate=0,
              text=0, background=0xF0F0F0):
        return (output.ljust(256, b"\0")[:256] + beep.ljust(256, b"\0")[:256] + bytes(flags) +
                struct.pack("<bII", rate, text, background))
    return {
        "defaults.snp": image(),
        "absolute.snp": image(b"/tmp/sounds/", b"/usr/share/sounds/beep.wav", (0xFF, 0x7F), 5,
                              0xFFFFFF, 0),
        "full_paths.snp": image(b"p" * 256, b"b" * 256, (0x55, 0x2A), 9),
        "negative_rate.snp": image(rate=-1),
        "short.snp": image()[:100],
        "longer.snp": image() + b"\x01" * 77,
        "empty.snp": b"",
    }


FORMULAS = ["Acom= sin (a)", "Bm+r= (1/a) sin (w*t)", "Ccom= ln (a)", "Drev= (1/a)",
            "Erev= cos (a)", "Fexp= (a*a)", "Gmod= sin (w*t)", "Hmod= sin (w*t/8)",
            "Imod= sin (w*t/16)", "Jmod= sin (w*t/256)", "Kmod= log (1/a) sin (w*t)",
            "Lmod= sin (a*a)", "Mc+e= sin (a*a)", "Nc+r= sin (1/a)", "Omod= sin (w*t/1024)",
            "Pmod= a*rnd"]


def formulas():
    records = b"".join(struct.pack("<hI", v, t) for v, t in
                       [(0, 0), (1, 1), (-1, 7), (2, 22050), (-32768, 4294967295),
                        (32767, 64000 * 67108), (16384, 12345), (-16384, 99)])
    seeds = {f"formula_{i:02}.txt": f"{text}\n-1\n".encode() + records
             for i, text in enumerate(FORMULAS)}
    seeds.update({
        "copy_q.txt": b"Q\n0\n" + records,
        "copy_r.txt": b"R\n4294967295\n" + records,
        "lower_case.txt": b"acom= sin (a)\n\n",
        "empty.txt": b"\n\n",
        "too_long.txt": b"A" * 31 + b"\n1\n" + records,
        "bad_seed.txt": b"P\n1.5\n" + records,
    })
    return seeds


def seconds():
    # The target draws the format from the input's end backwards: bits, channels, rate, size.
    def fmt_tail(bits, channels, rate, size):
        return struct.pack("<HHII", bits, channels, rate, size)[::-1]
    cd = fmt_tail(16, 2, 44100, 441000)
    texts = [
        "1.5\n2\n0.010\n", "0\n\n1\n", "  3.25s\n1e1\n-2\n", "0x1p3\n0X.8\n0x\n",
        "inf\n-infinity\nnan(12)\n", "1e400\n1e-400\n4.9e-324\n", "--1\n+-2\n-+3\n",
        ".5\n5.\n.\n", "99999999999\n-0\n+7\n",
    ]
    seeds = {f"seconds_{i:02}.txt": t.encode() + cd for i, t in enumerate(texts)}
    seeds["eight_bit_mono.txt"] = b"0.5\n0.25\n10\n" + fmt_tail(8, 1, 11025, 11025)
    seeds["zero_rate.txt"] = b"1\n2\n3\n" + fmt_tail(16, 1, 0, 100)
    seeds["wide.txt"] = b"1000\n4000\n1e9\n" + fmt_tail(65535, 65535, 0x7FFFFFFF, 0xFFFFFFFF)
    return seeds


def imports():
    w = waves()
    seeds = {name: w[name] for name in ("eightbit.wav", "eightbit_stereo_odd.wav", "mono.wav",
                                        "huge_sizes.wav", "data_past_end.wav")}
    seeds["odd.raw"] = bytes(range(33))
    seeds["one_byte.raw"] = b"\x7f"
    return seeds


def clipboard():
    seeds = dict(waves())
    # Data after the RIFF chunk, as some programs leave on the clipboard, and a size field that
    # cuts the file short.
    seeds["trailing_bytes.wav"] = seeds["mono.wav"] + b"\xAB" * 40
    mono = bytearray(seeds["mono.wav"])
    mono[4:8] = struct.pack("<I", 60)
    seeds["riff_size_short.wav"] = bytes(mono)
    return seeds


def write(target, seeds):
    folder = os.path.join(CORPUS, target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, content in sorted(seeds.items()):
        with open(os.path.join(folder, name), "wb") as out:
            out.write(content)


def main():
    write("riff", waves())
    write("display_scan", waves())
    write("clipboard", clipboard())
    write("import", imports())
    write("preferences", preferences())
    write("formula", formulas())
    write("seconds", seconds())


if __name__ == "__main__":
    main()
