#!/usr/bin/env python3
"""Writes the shipped binary resources of res/: suffix.rc2, prefs.snp, beep.rc2, atwork.rc2.

Run from anywhere; the files are written beside this script. The outputs are committed, so this
only needs running when one of them is meant to change.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def trailer():
    # A RIFF LIST/INFO chunk of exactly 82 bytes naming the program, appended to every file.
    text = b"sonarium - 16-bit PCM sound workbench"
    isft = b"ISFT" + struct.pack("<I", 62) + text.ljust(62, b"\0")
    chunk = b"LIST" + struct.pack("<I", 74) + b"INFO" + isft
    assert len(chunk) == 82
    return chunk


def prefs():
    # The Default values: output and beep paths relative to the audio root, every flag clear
    # but "Force file number change on open" (bit 2) and "Stop playing while loosing focus"
    # (bit 3) of flags B, help in English, no MP3 rate option, black text on dialog grey.
    out = b"tempsnds/".ljust(256, b"\0")
    beep = b"sonarium/res/beep.rc2".ljust(256, b"\0")
    data = out + beep + bytes([0x00, 0x0C, 0]) + struct.pack("<II", 0x000000, 0xF0F0F0)
    assert len(data) == 523
    return data


def beep():
    rate, seconds, freq = 44100, 0.15, 880.0
    n = int(rate * seconds)
    fade = int(rate * 0.01)
    samples = []
    for i in range(n):
        env = min(1.0, i / fade, (n - 1 - i) / fade)
        samples.append(int(0.4 * 32767 * env * math.sin(2 * math.pi * freq * i / rate)))
    data = struct.pack("<%dh" % n, *samples)
    header = (b"RIFF" + struct.pack("<I", len(data) + 118) + b"WAVEfmt " +
              struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16) +
              b"data" + struct.pack("<I", len(data)))
    return header + data + trailer()


def gif_frame_data(pixels):
    # LZW with a clear code every two pixels, so the code width stays at 3 bits and no string
    # table is needed; small and valid.
    min_code, clear, end = 2, 4, 5
    codes = []
    for i in range(0, len(pixels), 2):
        codes.append(clear)
        codes.extend(pixels[i:i + 2])
    codes.append(end)
    bits, nbits, out = 0, 0, bytearray()
    for code in codes:
        bits |= code << nbits
        nbits += 3
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 0xFF)
    blocks = bytearray([min_code])
    for i in range(0, len(out), 255):
        piece = out[i:i + 255]
        blocks.append(len(piece))
        blocks += piece
    blocks.append(0)
    return bytes(blocks)


def atwork():
    # A sine wave travelling through a small frame: the "at work" animation of the dialogs.
    w, h, frames = 48, 24, 12
    palette = bytes([255, 255, 255, 0, 0, 128, 0, 160, 0, 192, 192, 192])
    gif = bytearray(b"GIF89a" + struct.pack("<HH", w, h) + bytes([0x81, 0, 0]) + palette)
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop forever
    for f in range(frames):
        pix = [0] * (w * h)
        for x in range(w):
            pix[(h // 2) * w + x] = 3
            phase = 2 * math.pi * (x / 16.0 - f / frames)
            y = int(round(h / 2 - 1 - (h / 2 - 3) * math.sin(phase)))
            for yy in (y, y + 1):
                if 0 <= yy < h:
                    pix[yy * w + x] = 1 if f % 2 == 0 or x % 8 else 2
        gif += b"\x21\xF9\x04\x00" + struct.pack("<H", 8) + b"\x00\x00"  # 80 ms a frame
        gif += b"\x2C" + struct.pack("<HHHH", 0, 0, w, h) + b"\x00"
        gif += gif_frame_data(pix)
    gif += b"\x3B"
    return bytes(gif)


def main():
    for name, data in (("suffix.rc2", trailer()), ("prefs.snp", prefs()),
                       ("beep.rc2", beep()), ("atwork.rc2", atwork())):
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
        print(name, len(data))


if __name__ == "__main__":
    main()
