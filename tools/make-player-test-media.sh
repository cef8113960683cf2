#!/usr/bin/env bash
# Makes the media the GStreamer player's tests play, from GStreamer's test
# sources, into the folder given:
#   clip.mp4        10 s, moving ball with a time overlay and a tone
#   bars.mp4        6 s, moving colour bars, lit out to every edge: for the plane
#   short.mp4       2 s, for playing to the end
#   hls/playlist.m3u8, dash/dash.mpd   the 10 s clip as HLS and DASH
#   truncated.mp4   the start of clip.mp4 only: its index is cut off
#   notvideo.mp4    text under a media file's name
# Needs a writable HOME or GST_REGISTRY for GStreamer's plugin cache.
set -euo pipefail

out=${1:?usage: $0 OUTPUT_DIR}
rm -rf "$out"
mkdir -p "$out/hls" "$out/dash"
cd "$out"

fps=25
video() {  # frames pattern-properties...
  local frames=$1; shift
  echo "videotestsrc num-buffers=$frames $* ! video/x-raw,width=320,height=240,framerate=$fps/1" \
       "! timeoverlay font-desc=\"Sans 24\" ! videoconvert ! openh264enc gop-size=$fps"
}
audio() {  # seconds
  local blocks=$(( $1 * 44100 / 1024 + 1 ))
  echo "audiotestsrc num-buffers=$blocks samplesperbuffer=1024 wave=sine" \
       "! audio/x-raw,rate=44100,channels=2 ! audioconvert ! voaacenc"
}
# A pipeline that has not ended after two minutes is interrupted, which
# (-e) ends its streams so the muxers still write their index; one seen
# here wrote all its files and then never exited.
launch() {
  timeout -k 10 -s INT 120 gst-launch-1.0 -e -q "$@" 2>&1 | grep -v '^\[OpenH264\]' || true
}

# One encode feeds the progressive file and both adaptive renditions.
eval launch "$(video $((10 * fps)) pattern=ball) ! tee name=v" \
  "$(audio 10) ! tee name=a" \
  "v. ! queue ! h264parse ! mp4mux name=mp4 ! filesink location=clip.mp4" \
  "a. ! queue ! aacparse ! mp4." \
  "v. ! queue ! h264parse ! hlssink2 name=hls target-duration=2 max-files=0 playlist-length=0" \
  "location=hls/segment%05d.ts playlist-location=hls/playlist.m3u8" \
  "a. ! queue ! aacparse ! hls.audio" \
  "v. ! queue ! h264parse ! dashsink name=dash mpd-root-path=dash target-duration=2 muxer=ts" \
  "a. ! queue ! aacparse ! dash.audio_0"

eval launch "$(video $((6 * fps)) pattern=smpte horizontal-speed=4)" \
  "! h264parse ! mp4mux name=mp4 ! filesink location=bars.mp4 $(audio 6) ! aacparse ! mp4."

eval launch "$(video $((2 * fps)) pattern=ball)" \
  "! h264parse ! mp4mux name=mp4 ! filesink location=short.mp4 $(audio 2) ! aacparse ! mp4."

# mp4mux writes the index last: half the file has no playable stream.
head -c $(( $(stat -c %s clip.mp4) / 2 )) clip.mp4 > truncated.mp4
echo "This is a text file, not a video." > notvideo.mp4

for f in clip.mp4 bars.mp4 short.mp4 hls/playlist.m3u8 dash/dash.mpd; do
  [[ -s $f ]] || { echo "error: $out/$f was not made" >&2; exit 1; }
done
