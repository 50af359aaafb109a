#!/usr/bin/env python3
"""Writes MMSTEST.MMS, the message the Test Message page sends: an MMS
m-send-req in the binary MMS encapsulation with one short text/plain part.
The recipient comes from the queue's control file, so To holds only a
placeholder."""
import sys

TEXT = b"ZedSMS Test Message"


def uintvar(value):
    """Variable-length unsigned integer: 7 bits per byte, high bit = more follow."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def text(value):
    return value + b"\0"


def headers():
    return b"".join([
        b"\x8c\x80",                          # X-Mms-Message-Type: m-send-req
        b"\x98" + text(b"ZEDTEST0001"),       # X-Mms-Transaction-ID
        b"\x8d\x90",                          # X-Mms-MMS-Version: 1.0
        b"\x89\x01\x81",                      # From: insert-address-token
        b"\x97" + text(b"+0/TYPE=PLMN"),      # To: placeholder
        b"\x96" + text(TEXT),                 # Subject
        b"\x84\xa3",                          # Content-Type: application/vnd.wap.multipart.mixed
    ])


def text_part():
    # Content-Type: text/plain; charset=utf-8, then Content-Location: text.txt
    content_type = bytes([0x03, 0x83, 0x81, 0xEA])
    part_headers = content_type + b"\x8e" + text(b"text.txt")
    return uintvar(len(part_headers)) + uintvar(len(TEXT)) + part_headers + TEXT


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_mmstest.py OUTPUT")
    body = uintvar(1) + text_part()
    with open(sys.argv[1], "wb") as output:
        output.write(headers() + body)


if __name__ == "__main__":
    main()
