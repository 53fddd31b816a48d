#!/usr/bin/perl
# Byte-level helpers of the differential test (run-diff), written apart from
# the program under test:
#
#   helper.pl gen LAYOUT SEED OUT      make a fork from LAYOUT (below)
#   helper.pl macname UTF8NAME       the Mac Roman bytes of a name, in hex
#   helper.pl outname UTF8NAME EXT [MARK]
#                                    expected fork file name (UTF-8): the name
#                                    in Windows ANSI, its extension of at most
#                                    three characters replaced by EXT in lower
#                                    case, or EXT appended; with MARK (dat,
#                                    res), NAME less its short extension, the
#                                    mark, then EXT
#   helper.pl decode HQX BQX BIX     reference intermediates: the 6-bit text
#                                    after the first line as bytes (BQX; a
#                                    short last group gives its whole bytes),
#                                    and
#                                    those bytes with their 0x90 runs
#                                    expanded (BIX)
#   helper.pl macbinary BIN UTF8NAME TYPECREA DATA RSRC [DLEN RLEN]
#                                    checks a MacBinary I file byte by byte;
#                                    prints what differs, exits 1 then
#   helper.pl slice FILE OFFSET LENGTH OUT    copy part of a file
#   helper.pl cut HQX LENGTH OUT     the shortest start of HQX whose text
#                                    decodes to LENGTH expanded bytes: a
#                                    download cut there
#
# LAYOUT: segments joined by "+", each a letter and a byte count:
#   r random bytes, z zero bytes, m 0x90 bytes, a "A" bytes,
#   t Mac text (CR line ends, Mac Roman accents),
#   p a pattern that stresses run-length coding: 0x90 next to runs and
#     counts, runs of 254 to 258 bytes, 0x90 0x00 pairs, ...
# "-" or an empty LAYOUT is an empty fork.
use strict;
use warnings;
use Encode qw(encode decode);

my $cmd = shift // '';

sub slurp {
    my ($path) = @_;
    open my $fh, '<:raw', $path or die "helper: $path: $!\n";
    local $/;
    my $b = <$fh>;
    return defined $b ? $b : '';
}
sub spew {
    my ($path, $bytes) = @_;
    open my $fh, '>:raw', $path or die "helper: $path: $!\n";
    print $fh $bytes;
    close $fh or die "helper: $path: $!\n";
}
sub utf8_arg { my ($s) = @_; utf8::decode($s); return $s; }

if ($cmd eq 'gen') {
    my ($layout, $seed, $out) = @ARGV;
    srand($seed);
    my $bytes = '';
    for my $seg (split /\+/, $layout) {
        next if $seg eq '-' || $seg eq '';
        my ($kind, $n) = $seg =~ /^([rzmatp])(\d+)$/ or die "helper: bad segment $seg\n";
        my $part = '';
        if ($kind eq 'r') {
            $part = pack('C*', map { int rand 256 } 1 .. $n);
        } elsif ($kind eq 'z') {
            $part = "\0" x $n;
        } elsif ($kind eq 'm') {
            $part = "\x90" x $n;
        } elsif ($kind eq 'a') {
            $part = 'A' x $n;
        } elsif ($kind eq 't') {
            my $line = encode('MacRoman', "Le c\x{153}ur a ses raisons que la raison ne conna\x{ee}t point. \x{c9}t\x{e9} \x{e0} No\x{eb}l.\r");
            $part = substr($line x (int($n / length $line) + 1), 0, $n);
        } else {
            my @pieces = ("\x90", "\x90\x00", "\x90\x90\x90", "A\x90", "\x90\x01", "\x00\x90\x00",
                          "B" x 254, "C" x 255, "D" x 256, "E" x 257, "F" x 258, "\x90" x 255,
                          "\x90" x 256, "\x90" x 2, "G\x90\x03", "\x90\x90\x90\x90\x05");
            while (length($part) < $n) {
                $part .= $pieces[int rand @pieces];
                $part .= pack('C*', map { int rand 256 } 1 .. int rand 6);
            }
            $part = substr($part, 0, $n);
        }
        $bytes .= $part;
    }
    spew($out, $bytes);
} elsif ($cmd eq 'macname') {
    print unpack('H*', encode('MacRoman', utf8_arg($ARGV[0]), Encode::FB_CROAK)), "\n";
} elsif ($cmd eq 'outname') {
    my ($name, $ext, $mark) = (utf8_arg($ARGV[0]), $ARGV[1], $ARGV[2]);
    # NAME is the name as the panel shows it (already in the letters that
    # Mac Roman and Windows ANSI share); characters that Windows refuses in
    # file names become "_".
    my $s = encode('cp1252', $name, Encode::FB_CROAK);
    $s =~ s{[\\/:*?"<>|\x00-\x1f]}{_}g;
    my $dot = rindex($s, '.');
    my $hasext = $dot >= 0 && $dot >= length($s) - 4;
    if (defined $mark) {
        # pairs: the mark takes the place of a short extension
        $s = substr($s, 0, $dot) if $hasext;
        $s .= ".$mark";
    }
    if ($hasext && !defined $mark) {
        $s = substr($s, 0, $dot + 1);
    } else {
        $s .= '.';
    }
    $s .= lc $ext;
    print encode('UTF-8', decode('cp1252', $s)), "\n";
} elsif ($cmd eq 'decode') {
    my ($hqx, $bqx, $bix) = @ARGV;
    my $text = slurp($hqx);
    $text =~ s/^[^\r\n]*(\r\n|\n\r|\r|\n)?//;      # the first line, whatever it says
    $text =~ s/[\r\n:]//g;
    die "helper: $hqx: unexpected characters\n" if $text =~ /[^!-,\-0-689\@A-NP-VX-\[`a-fh-mp-r]/;
    $text =~ tr/!-,\-012345689@A-NP-VX-[`a-fh-mp-r/\x00-\x3f/;
    my @v = unpack('C*', $text);
    my $raw = '';
    my $i = 0;
    for (; $i + 4 <= @v; $i += 4) {
        my $n = ($v[$i] << 18) | ($v[$i + 1] << 12) | ($v[$i + 2] << 6) | $v[$i + 3];
        $raw .= pack('C3', $n >> 16, ($n >> 8) & 255, $n & 255);
    }
    # A short last group gives the bytes whose 8 bits it holds whole: one
    # for two characters, two for three (encoders that don't pad, such as
    # macutils' binhex, end their text so).
    my @last = (@v[$i .. $#v], 0, 0, 0, 0);
    my $n = ($last[0] << 18) | ($last[1] << 12) | ($last[2] << 6) | $last[3];
    $raw .= substr(pack('C3', $n >> 16, ($n >> 8) & 255, $n & 255), 0, (@v - $i) * 6 / 8);
    spew($bqx, $raw);
    # 0x90 N repeats the byte before the marker N-1 more times; 0x90 0 is a
    # literal 0x90; after any marker the byte to repeat is 0x90.
    my ($out, $prev) = ('', 0);
    my @b = unpack('C*', $raw);
    for (my $i = 0; $i < @b; $i++) {
        my $c = $b[$i];
        if ($c != 0x90) {
            $out .= chr $c;
        } elsif ($i + 1 < @b) {
            my $count = $b[++$i];
            $out .= $count == 0 ? "\x90" : chr($prev) x ($count - 1);
        }
        $prev = $c;
    }
    spew($bix, $out);
} elsif ($cmd eq 'macbinary') {
    my ($bin, $name, $tc, $dpath, $rpath, $dlen, $rlen) = @ARGV;
    my $mac = encode('MacRoman', utf8_arg($name), Encode::FB_CROAK);
    my ($d, $r) = (slurp($dpath), slurp($rpath));
    # The lengths of the header, when the forks given are cut short.
    $dlen //= length $d;
    $rlen //= length $r;
    my $head = "\0" . pack('C', length $mac) . pack('a63', $mac) . pack('a8', $tc) . "\0" x 10
        . pack('N N', $dlen, $rlen) . "\0" x 37;
    my $want = $head . $d;
    $want .= "\0" x ((128 - $dlen % 128) % 128) . $r if $rlen;
    my $got = slurp($bin);
    if ($got ne $want) {
        my $i = 0;
        $i++ while $i < length($got) && $i < length($want) && substr($got, $i, 1) eq substr($want, $i, 1);
        printf "%s: %d bytes, expected %d; first difference at offset %d\n", $bin, length $got, length $want, $i;
        exit 1;
    }
} elsif ($cmd eq 'slice') {
    my ($file, $offset, $length, $out) = @ARGV;
    my $b = slurp($file);
    spew($out, substr($b, $offset, $length) // '');
} elsif ($cmd eq 'cut') {
    my ($hqx, $length, $out) = @ARGV;
    my $text = slurp($hqx);
    $text =~ /\(This file must be converted with BinHex[^\r\n]*[\r\n]/ or die "helper: $hqx: no identification\n";
    my ($pos, $marker, $expanded, @v) = ($+[0], 0, 0);
    for (; $pos < length $text && $expanded < $length; $pos++) {
        my $c = substr($text, $pos, 1);
        next if $c =~ /[\r\n:]/;
        (my $value = $c) =~ tr/!-,\-012345689@A-NP-VX-[`a-fh-mp-r/\x00-\x3f/;
        push @v, ord $value;
        next if @v < 4;
        my $n = ($v[0] << 18) | ($v[1] << 12) | ($v[2] << 6) | $v[3];
        @v = ();
        for my $b ($n >> 16, ($n >> 8) & 255, $n & 255) {
            if ($marker) { $expanded += $b == 0 ? 1 : $b - 1; $marker = 0; }
            elsif ($b == 0x90) { $marker = 1; }
            else { $expanded++; }
        }
    }
    spew($out, substr($text, 0, $pos));
} else {
    die "usage: helper.pl gen|macname|outname|decode|macbinary|slice|cut ...\n";
}
