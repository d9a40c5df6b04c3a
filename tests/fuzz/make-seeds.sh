#!/usr/bin/env bash
# Remakes the seed files of the fuzz targets (tests/fuzz/seeds/<target>/) with
# sox, ffmpeg and python3. Run by hand; the seeds are kept in the tree so that
# every test run goes over them. The song-list seeds written by the program
# itself are kept as they are (they are not remade here).
set -euo pipefail
seeds="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/seeds"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for t in wav_reader aiff_reader id3_tag cdtext_packs cd_image cda_stub picture_readers mp3_vbr_header \
         preferences media_decoder song_list asf_attributes; do
  mkdir -p "$seeds/$t"
done
tone() { sox -D -n -r "$1" -b "$2" -c "$3" "$4" synth "$5" sine 440 gain -3; }

# WAV and AIFF in the forms the readers accept, and a few they refuse.
tone 44100 16 2 "$seeds/wav_reader/stereo16.wav" 0.01
tone 48000 24 1 "$seeds/wav_reader/mono24.wav" 0.01
sox -D -n -r 96000 -e float -b 32 -c 2 "$seeds/wav_reader/float32.wav" synth 0.005 sine 440
tone 22050 8 1 "$seeds/wav_reader/refused8bit.wav" 0.01
tone 44100 16 2 "$work/s.wav" 0.01
ffmpeg -v error -y -i "$work/s.wav" -metadata title="Title" -metadata artist="Artist" \
  -metadata date="2009" "$seeds/wav_reader/info.wav"
tone 44100 16 2 "$seeds/aiff_reader/stereo16.aiff" 0.01
tone 48000 24 1 "$seeds/aiff_reader/mono24.aiff" 0.01
ffmpeg -v error -y -i "$work/s.wav" -c:a pcm_s16le -f aiff "$seeds/aiff_reader/sowt.aifc" 2>/dev/null ||
  cp "$seeds/aiff_reader/stereo16.aiff" "$seeds/aiff_reader/sowt.aifc"
ffmpeg -v error -y -i "$work/s.wav" -write_id3v2 1 -metadata title="Title" "$seeds/aiff_reader/id3.aiff"

# ID3 tags of versions 2.3 and 2.4 with texts and a picture, and ID3v1.
ffmpeg -v error -y -f lavfi -i color=c=red:s=8x8 -frames:v 1 "$work/cover.jpg"
ffmpeg -v error -y -f lavfi -i color=c=blue:s=8x8 -frames:v 1 "$work/cover.png"
ffmpeg -v error -y -i "$work/s.wav" -c:a libmp3lame -b:a 32k "$work/plain.mp3"
for v in 3 4; do
  ffmpeg -v error -y -i "$work/plain.mp3" -i "$work/cover.jpg" -map 0 -map 1 -c copy -id3v2_version $v \
    -metadata title="T\xc3\xadtulo" -metadata artist="Artist" -metadata genre="8" -metadata date="2009-12-31" \
    -write_id3v1 1 "$work/tagged$v.mp3"
  head -c 4096 "$work/tagged$v.mp3" > "$seeds/id3_tag/id3v2_$v.mp3"
done
tail -c 128 "$work/tagged3.mp3" > "$seeds/id3_tag/id3v1.bin"

# MP3 first frames with the encoder's Info and Xing headers.
ffmpeg -v error -y -i "$work/s.wav" -c:a libmp3lame -b:a 128k "$work/cbr.mp3"
ffmpeg -v error -y -i "$work/s.wav" -c:a libmp3lame -q:a 4 "$work/vbr.mp3"
head -c 2048 "$work/cbr.mp3" > "$seeds/mp3_vbr_header/info.mp3"
head -c 2048 "$work/vbr.mp3" > "$seeds/mp3_vbr_header/xing.mp3"
head -c 2048 "$work/tagged3.mp3" > "$seeds/mp3_vbr_header/after_id3.mp3"

# Pictures: JPEG, PNG and an audio file carrying one.
cp "$work/cover.jpg" "$work/cover.png" "$seeds/picture_readers/"
cp "$seeds/id3_tag/id3v2_3.mp3" "$seeds/picture_readers/tagged.mp3"

# Containers of the decoding layer, a few hundredths of a second each.
tone 44100 16 2 "$work/short.wav" 0.05
ffmpeg -v error -y -i "$work/short.wav" -c:a libmp3lame -b:a 32k "$seeds/media_decoder/short.mp3"
ffmpeg -v error -y -i "$work/short.wav" -c:a aac -b:a 32k "$seeds/media_decoder/aac.m4a"
ffmpeg -v error -y -i "$work/short.wav" -c:a aac -b:a 32k -f adts "$seeds/media_decoder/adts.aac"
ffmpeg -v error -y -i "$work/short.wav" -c:a alac "$seeds/media_decoder/alac.m4a"
ffmpeg -v error -y -i "$work/short.wav" -c:a wmav2 -b:a 32k "$seeds/media_decoder/short.wma"

python3 - "$seeds" <<'PY'
import struct, sys
seeds = sys.argv[1]

def crc(data):
    value = 0
    for byte in data:
        value ^= byte << 8
        for _ in range(8):
            value = ((value << 1) ^ 0x1021) if value & 0x8000 else value << 1
            value &= 0xFFFF
    return value ^ 0xFFFF

def packs(block, tracks, texts, code=0x00, language=0x09):
    # texts: {pack type: [disc, track 1, ...]} as bytes
    out, seq, counts = [], 0, {}
    for kind, strings in sorted(texts.items()):
        payload = b"".join(s + b"\0" for s in strings)
        track, pos, char = 0, 0, 0
        while pos < len(payload):
            chunk = payload[pos:pos + 12].ljust(12, b"\0")
            head = bytes([kind, track, seq & 0xFF, (block << 4) | min(char, 15)])
            body = head + chunk
            out.append(body + struct.pack(">H", crc(body)))
            counts[kind] = counts.get(kind, 0) + 1
            consumed = payload[pos:pos + 12]
            track += consumed.count(b"\0")
            char = 0 if consumed.endswith(b"\0") else len(consumed.split(b"\0")[-1]) + char
            pos += 12
            seq += 1
    size = bytearray(36)
    size[0] = code; size[1] = 1; size[2] = tracks
    for kind, n in counts.items():
        size[4 + (kind - 0x80)] = n
    size[20] = seq + 2  # last sequence number of the block
    size[28] = language
    for i in range(3):
        body = bytes([0x8F, i, (seq + i) & 0xFF, block << 4]) + bytes(size[i * 12:(i + 1) * 12])
        out.append(body + struct.pack(">H", crc(body)))
    return b"".join(out)

english = packs(0, 2, {0x80: [b"Album", b"First", b"Second"], 0x81: [b"Band", b"Singer", b"Player"]})
japanese = packs(1, 2, {0x80: [b"\x82\x60\x82\x61", b"\x82\x50", b"\x82\x51"]}, code=0x80, language=0x69)
open(f"{seeds}/cdtext_packs/english.bin", "wb").write(bytes([2 + 8]) + english)
open(f"{seeds}/cdtext_packs/two_blocks.bin", "wb").write(bytes([2 + 8]) + english + japanese)

cue = (b'FILE "disc.bin" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n'
       b'  TRACK 02 AUDIO\n    INDEX 00 00:00:05\n    INDEX 01 00:00:08\nCDTEXTFILE "disc.cdt"\n')
open(f"{seeds}/cd_image/with_text.bin", "wb").write(cue + b"\0" + english)
open(f"{seeds}/cd_image/data_track.bin", "wb").write(
    b'FILE "disc.bin" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n'
    b'  TRACK 02 MODE1/2352\n    INDEX 01 00:00:12\n\0')

def cda(track, start, length):
    fmt = struct.pack("<HHIII", 1, track, 0x12345678, start, length) + bytes([0, 2, 0, 0]) + bytes([0, 0, 10, 0])
    return b"RIFF" + struct.pack("<I", 36) + b"CDDA" + b"fmt " + struct.pack("<I", 24) + fmt
for track, start in ((1, 0), (2, 10), (3, 20), (9, 0)):
    open(f"{seeds}/cda_stub/track{track}.cda", "wb").write(cda(track, start, 10))

open(f"{seeds}/preferences/settings.xml", "wb").write(
    b'<?xml version="1.0" encoding="UTF-8"?>\n\n<PROPERTIES>\n  <VALUE name="Volume" val="75"/>\n'
    b'  <VALUE name="LastFolder" val="/home/user/Music"/>\n  <VALUE name="WindowX" val="-12"/>\n</PROPERTIES>\n')
open(f"{seeds}/preferences/empty", "wb").write(b"")

open(f"{seeds}/song_list/processing_instruction.qmpl", "wb").write(b"<a><?x?>b</a>" + b" " * 9)
PY

# ASF headers: one as the encoder writes it (texts in the Content Description
# and Extended Content Description objects), and one with pictures in the
# Extended Content Description and Metadata Library objects, built here the
# way the attribute writer lays them out.
ffmpeg -v error -y -i "$work/short.wav" -c:a wmav2 -b:a 32k -metadata title="Title" -metadata artist="Artist" \
  -metadata album="Album" "$work/tagged.wma"
python3 - "$work/tagged.wma" "$seeds/asf_attributes" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
size = struct.unpack_from('<Q', data, 16)[0]
open(sys.argv[2] + '/encoder.bin', 'wb').write(data[:size])

def guid(text):
    import uuid
    return uuid.UUID(text).bytes_le
def obj(g, body):
    return guid(g) + struct.pack('<Q', 24 + len(body)) + body
def utf16z(text):
    return text.encode('utf-16-le') + b'\0\0'
def picture(kind, payload):
    return bytes([kind]) + struct.pack('<I', len(payload)) + utf16z('image/jpeg') + utf16z('') + payload
name = utf16z('WM/Picture')
small = picture(3, bytes(range(256)) * 4)
large = picture(0, bytes(range(256)) * 300)
extended = struct.pack('<H', 2)
extended += struct.pack('<H', len(name)) + name + struct.pack('<HH', 1, len(small)) + small
album = utf16z('Album')
extended += struct.pack('<H', len(utf16z('WM/AlbumTitle'))) + utf16z('WM/AlbumTitle') + struct.pack('<HH', 0, len(album)) + album
library = struct.pack('<H', 1) + struct.pack('<HHHHI', 0, 0, len(name), 1, len(large)) + name + large
libobj = obj('44231c94-9498-49d1-a141-1d134e457054', library)
extension = obj('5fbf03b5-a92e-11cf-8ee3-00c00c205365',
                guid('abd3d211-a9ba-11cf-8ee6-00c00c205365') + struct.pack('<HI', 6, len(libobj)) + libobj)
title, author = utf16z('Title'), utf16z('Author')
description = obj('75b22633-668e-11cf-a6d9-00aa0062ce6c',
                  struct.pack('<HHHHH', len(title), len(author), 0, 0, 0) + title + author)
ext = obj('d2d0a440-e307-11d2-97f0-00a0c95ea850', extended)
children = [extension, description, ext]
body = b''.join(children)
header = guid('75b22630-668e-11cf-a6d9-00aa0062ce6c') + struct.pack('<QIBB', 30 + len(body), len(children), 1, 2) + body
open(sys.argv[2] + '/pictures.bin', 'wb').write(header)
PY
echo "seeds written to $seeds"
