# The files the cases read, made in the current folder. The media are made by FFmpeg:
# 5.5 s clips with a white flash (video) and a 1 kHz beep (sound) of 0.1 s at each second.
set -e
ff() { ffmpeg -nostdin -v error -y "$@"; }
beep="if(lt(mod(t\,1)\,0.1)\,sin(2*PI*1000*t)\,0)"
flash() { echo "color=black:s=64x48:r=$1:d=5.5,drawbox=c=white:t=fill:enable='lt(mod(t,1),0.1)'$2"; }
sound() { echo "aevalsrc=$1:s=${2:-48000}:d=5.5${3:+:c=$3}"; }
x264="-c:v libx264 -preset ultrafast -pix_fmt yuv420p"
ff -f lavfi -i "$(flash 25)" -f lavfi -i "$(sound "0.5*$beep|0.25*$beep")" $x264 -c:a aac aac.mp4
ff -f lavfi -i "$(flash 25)" -f lavfi -i "$(sound "0.5*$beep|0.5*$beep")" -c:v libvpx-vp9 -deadline realtime -cpu-used 8 -c:a libopus opus.webm
ff -f lavfi -i "$(flash 30000/1001)" -f lavfi -i "$(sound "0.5*$beep|0.5*$beep")" $x264 -c:a aac ntsc.mp4
# 10 frames a second in the first half of each second, 50 in the second, as phones vary.
ff -f lavfi -i "$(flash 50 ",select='gte(mod(t\,1)\,0.5)+not(mod(n\,5))'")" -f lavfi -i "$(sound "0.5*$beep|0.5*$beep")" -fps_mode vfr $x264 -c:a aac vfr.mp4
ff -f lavfi -i "$(flash 25)" -f lavfi -i "$(sound "0.5*$beep|0.25*$beep" 44100)" $x264 -c:a flac 44k.mkv
ff -f lavfi -i "$(flash 25)" -f lavfi -i "$(sound "0.3*$beep|0|0.3*$beep|0.3*$beep|0|0.4*$beep" 48000 5.1)" $x264 -c:a aac s51.mp4
ff -f lavfi -i "aevalsrc=0.7*sin(2*PI*100*t):s=48000:d=1" -c:a pcm_s16le loud.wav
ff -f lavfi -i "color=red:s=2x2" -frames:v 1 still.png
ff -f lavfi -i "testsrc=s=96x64" -frames:v 1 a.png
ff -f lavfi -i "testsrc=s=96x64,negate" -frames:v 1 b.png
printf '1\n00:00:00,000 --> 00:00:02,000\nSub\n' > s.srt
printf 'garbage\0\1\2' > bad.srt
echo '# VobSub index file, v7' > lone.idx  # no lone.sub
echo 'not a picture' > text.png
echo old > existing.mp4
: > empty.mp4
ln -s "$PWD/aac.mp4" link.mp4
mkdir folder.mp4 notes stale ro
echo mine > notes/notes.txt
for n in 0 1 2 3 4; do echo old > stale/frame-00000$n.png; done
# A run as nobody reaches the files and finds ro/ read-only.
chmod 755 .
chmod 555 ro
