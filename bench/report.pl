#!/usr/bin/perl
# Turns the raw timings of tools/bench into bench/RESULTS.md: medians, MB/s,
# ratios to the fastest peer and to the I/O limit, peak memory, and the
# verdict on each target.
#
#   report.pl RESULTS.tsv FILES.tsv STAGES.tsv key=value...
use strict;
use warnings;

my ($results, $facts, $stages, @pairs) = @ARGV;
my %info = map { /^([^=]+)=(.*)$/s ? ($1, $2) : () } @pairs;
my $MB = 1048576;

sub median {
    my @v = sort { $a <=> $b } @_;
    return undef unless @v;
    my $n = @v;
    return $n % 2 ? $v[$n / 2] : ($v[$n / 2 - 1] + $v[$n / 2]) / 2;
}

sub lines {
    my ($path) = @_;
    open my $fh, '<', $path or die "report: $path: $!\n";
    return map { chomp; [split /\t/] } <$fh>;
}

# file => { name, d, r, hqx, bqx, bix, bin }
my (%file, @order);
for my $row (lines($facts)) {
    my ($path, $name, $d, $r, $hqx, $bqx, $bix, $bin) = @$row;
    (my $base = $path) =~ s{.*/}{};
    $file{$base} = {name => $name, d => $d, r => $r, hqx => $hqx, bqx => $bqx, bix => $bix, bin => $bin};
    push @order, $base;
}

# file => tool => { times => [...], rss => max, failed => count }
my %run;
for my $row (lines($results)) {
    my ($base, $tool, $rep, $seconds, $rss, $status) = @$row;
    my $r = $run{$base}{$tool} //= {times => [], rss => 0, failed => 0};
    push @{$r->{times}}, $seconds;
    $r->{rss} = $rss if $rss > $r->{rss};
    $r->{failed}++ if $status != 0;
}

my %stage;
for my $row (lines($stages)) {
    my ($base, $name, $elapsed, $user, $system, $in, $out) = @$row;
    $stage{$base}{$name} = {elapsed => $elapsed, user => $user, system => $system, in => $in, out => $out};
}

my @peers = qw(hexbin-d hexbin-mb uudeview unar hcopy);
my %label = (
    q1 => 'quillon-cli -m 1 (data fork)',
    q3 => 'quillon-cli -m 3 (both forks)',
    q4 => 'quillon-cli -m 4 (MacBinary)',
    'q4-old' => "quillon-cli -m 4 of commit $info{before} (MacBinary I, before)",
    'qt-folder' => 'quillon-cli -t FOLDER',
    'qt-args' => 'quillon-cli -t FOLDER/*.hqx (one argument a file)',
    'q1-folder' => 'quillon-cli -m 1 FOLDER',
    'q1-args' => 'quillon-cli -m 1 FOLDER/*.hqx (one argument a file)',
    'q1-fd64' => 'quillon-cli -m 1 FOLDER under ulimit -n 64',
    m1 => 'quillon-cli -m 1 (data fork)',
    m2 => 'quillon-cli -m 2 (resource fork)',
    'limit-m1' => 'limit for -m 1 (dd of the data fork)',
    'limit-m2' => 'limit for -m 2 (dd of the resource fork)',
    qi => 'quillon-cli -i (information only)',
    qt => 'quillon-cli -t (three CRCs checked, nothing written)',
    'hexbin-d' => 'macutils hexbin -d (data fork)',
    'hexbin-mb' => 'macutils hexbin (MacBinary)',
    uudeview => 'uudeview (data fork)',
    unar => 'unar (data fork + AppleDouble rsrc)',
    hcopy => 'hfsutils hcopy -b (into an HFS volume)',
    limit1 => 'limit for -m 1 (cat + dd)',
    limit3 => 'limit for -m 3 (cat + dd)',
    limit4 => 'limit for -m 4 (cat + dd)',
    limit4r => 'limit for -m 4, reading back .bqx and .bix',
    cp => 'cp of the input',
    start => 'start-up alone (true)',
);
# The limit that stands for each command's job.
my %limit_of = (q1 => 'limit1', 'hexbin-d' => 'limit1', uudeview => 'limit1',
                q3 => 'limit3', unar => 'limit3', hcopy => 'limit3',
                q4 => 'limit4', 'q4-old' => 'limit4', 'hexbin-mb' => 'limit4',
                limit1 => 'limit1', limit3 => 'limit3', limit4 => 'limit4', limit4r => 'limit4',
                m1 => 'limit-m1', m2 => 'limit-m2', 'limit-m1' => 'limit-m1', 'limit-m2' => 'limit-m2');
my @tools = qw(q1 q3 q4 q4-old qt qi hexbin-d hexbin-mb uudeview unar hcopy limit1 limit3 limit4 limit4r cp start
               m1 m2 limit-m1 limit-m2 qt-folder qt-args q1-folder q1-args q1-fd64);
# The quillon-cli commands, for peak memory.
my @quillon = qw(q1 q3 q4 qt qi m1 m2 qt-folder qt-args q1-folder q1-args q1-fd64);

sub med { my ($base, $tool) = @_; my $r = $run{$base}{$tool}; return $r ? median(@{$r->{times}}) : undef; }

sub fastest_peer {
    my ($base) = @_;
    my ($best, $who);
    for my $p (@peers) {
        my $m = med($base, $p);
        next unless defined $m && !$run{$base}{$p}{failed};
        ($best, $who) = ($m, $p) if !defined $best || $m < $best;
    }
    return ($best, $who);
}

sub fmt_time {
    my ($s) = @_;
    return $s < 0.1 ? sprintf('%.1f ms', $s * 1000) : sprintf('%.3f s', $s);
}

my @table;
push @table, '| File | Command | Median | MB/s | vs fastest peer | vs limit | Peak memory |';
push @table, '|---|---|---:|---:|---:|---:|---:|';
for my $base (@order) {
    my $f = $file{$base};
    my ($peer) = fastest_peer($base);
    my $first = 1;
    my $input = $base =~ /^folder-/ ? "$f->{name} .hqx files, " : '';
    my $title = sprintf('%s (%s%.1f MB %s; D %.1f MB, R %.1f MB)', $base, $input, $f->{hqx} / $MB,
                        $base =~ /^macbinary-/ ? '.bin' : '.hqx', $f->{d} / $MB, $f->{r} / $MB);
    for my $tool (@tools) {
        my $m = med($base, $tool);
        next unless defined $m;
        my $r = $run{$base}{$tool};
        my $speed = $tool =~ /^(qi|start)$/ ? '' : sprintf('%.0f', $f->{hqx} / $MB / $m);
        my $vs_peer = defined $peer && $tool !~ /^(limit|cp|qi|start)/ ? sprintf('%.2f×', $peer / $m) : '';
        my $lim = $limit_of{$tool} ? med($base, $limit_of{$tool}) : undef;
        my $vs_limit = defined $lim ? sprintf('%.2f×', $m / $lim) : '';
        my $mem = sprintf('%.1f MB', $r->{rss} / 1024);
        my $name = $label{$tool} . ($r->{failed} ? " (failed $r->{failed}×)" : '');
        push @table, sprintf('| %s | %s | %s | %s | %s | %s | %s |', $first ? $title : '', $name,
                             fmt_time($m), $speed, $vs_peer, $vs_limit, $mem);
        $first = 0;
    }
    my %stage_label = (text => 'stage alone: text (.hqx in', 'run-length' => 'stage alone: run-length (.bqx in',
                       copy => 'stage alone: fork copy (fork in');
    for my $s (qw(text run-length copy)) {
        my $st = $stage{$base}{$s} or next;
        # The processor times come in scheduler ticks: shown for long stages only.
        my $split = $st->{elapsed} >= 0.05
            ? sprintf('; processor: user %s, system %s', fmt_time($st->{user}), fmt_time($st->{system})) : '';
        push @table, sprintf('| | %s%s) | %s | %.0f | | | |', $stage_label{$s}, $split,
                             fmt_time($st->{elapsed}), $st->{in} / $MB / $st->{elapsed});
    }
}

# The targets, on the largest BinHex files timed.
my ($largest) = sort { $file{$b}{hqx} <=> $file{$a}{hqx} } grep { !/^(folder|macbinary)-/ } @order;
(my $top_size = $largest // '') =~ s/.*-//;
my @top = grep { /-\Q$top_size\E$/ && !/^macbinary-/ } @order;
my @folders = grep { /^folder-/ } @order;
my @verdicts;
{
    my @parts; my $ok = 1;
    for my $base (@top) {
        my ($peer, $who) = fastest_peer($base);
        my $m = med($base, 'q1');
        next unless defined $peer && defined $m;
        my $x = $peer / $m;
        $ok = 0 if $x < 2;
        push @parts, sprintf('%s %.2f× (fastest peer %s, %s against %s)', $base, $x, $who, fmt_time($m), fmt_time($peer));
    }
    push @verdicts, [($ok ? 'met' : 'NOT met'), "mode 1 at least 2× faster than the fastest peer on the $top_size files", join('; ', @parts)];
}
{
    my @parts; my $ok = 1;
    for my $base (@top) {
        my ($m, $l, $lr) = (med($base, 'q4'), med($base, 'limit4'), med($base, 'limit4r'));
        next unless defined $m && defined $l;
        my $x = $m / $l;
        $ok = 0 if $x > 1.5;
        push @parts, sprintf('%s %.2f× (%s against %s%s)', $base, $x, fmt_time($m), fmt_time($l),
                             defined $lr ? sprintf('; %.2f× the limit that also reads back the two intermediate files, %s', $m / $lr, fmt_time($lr)) : '');
    }
    push @verdicts, [($ok ? 'met' : 'NOT met'), "mode 4 within 1.5× of the copy limit on the $top_size files", join('; ', @parts)];
}
{
    my $max = 0; my $where = '';
    for my $base (@order) {
        for my $t (@quillon) {
            my $r = $run{$base}{$t} or next;
            ($max, $where) = ($r->{rss}, "$label{$t}, $base") if $r->{rss} > $max;
        }
    }
    push @verdicts, [($max < 4096 ? 'met' : 'NOT met'), 'peak memory under 4 MB at every size',
                     sprintf('largest %.2f MB (%s)', $max / 1024, $where)];
}
{
    my @parts; my $ok = 1;
    for my $base (@top) {
        my $m = med($base, 'qi');
        next unless defined $m;
        $ok = 0 if $m >= 0.005;
        push @parts, sprintf('%s %s', $base, fmt_time($m));
    }
    push @verdicts, [($ok ? 'met' : 'NOT met'), "-i on the $top_size files under 5 ms", join('; ', @parts)];
}
{
    my @parts; my $ok = 1;
    for my $base (@top) {
        my ($t, $m) = (med($base, 'qt'), med($base, 'q1'));
        next unless defined $t && defined $m;
        $ok = 0 if $t > $m;
        push @parts, sprintf('%s %s against %s', $base, fmt_time($t), fmt_time($m));
    }
    push @verdicts, [($ok ? 'met' : 'NOT met'), "-t at least as fast as mode 1 on the $top_size files", join('; ', @parts)];
}
{
    my @parts; my $ok = 1;
    for my $base (@top) {
        my ($m, $old) = (med($base, 'q4'), med($base, 'q4-old'));
        next unless defined $m && defined $old;
        $ok = 0 if $m > 1.05 * $old;
        push @parts, sprintf('%s %.3f× (%s against %s)', $base, $m / $old, fmt_time($m), fmt_time($old));
    }
    push @verdicts, [(!@parts ? 'not measured' : $ok ? 'met' : 'NOT met'),
                     "mode 4 (MacBinary II) within 5 % of the program before, commit $info{before} (MacBinary I), on the $top_size files",
                     @parts ? join('; ', @parts) : 'the program before could not be built'];
}
for my $base (@folders) {
    my @parts; my $ok = 1;
    for my $t (qw(qt q1)) {
        my ($folder, $args) = (med($base, "$t-folder"), med($base, "$t-args"));
        next unless defined $folder && defined $args;
        $ok = 0 if abs($folder / $args - 1) > 0.05;
        push @parts, sprintf('%s %.3f× (%s against %s)', $t eq 'qt' ? '-t' : '-m 1', $folder / $args,
                             fmt_time($folder), fmt_time($args));
    }
    push @verdicts, [($ok ? 'met' : 'NOT met'),
                     "a folder of $file{$base}{name} files takes the time of as many arguments, within 5 %",
                     join('; ', @parts)];
    my $r = $run{$base}{'q1-fd64'};
    push @verdicts, [($r && !$r->{failed} ? 'met' : 'NOT met'),
                     "mode 1 on the folder of $file{$base}{name} files under ulimit -n 64 (no handle left open)",
                     $r ? sprintf('runs: %d, failed: %d; median %s', scalar @{$r->{times}}, $r->{failed},
                                  fmt_time(median(@{$r->{times}})))
                        : 'not run'];
}

my @out;
push @out, '# Benchmark results', '';
push @out, "Written by `tools/bench` on $info{date}, commit $info{commit}.", '';
push @out, "- Machine: $info{machine}.";
push @out, "- Peers (Debian packages): $info{versions}";
push @out, "- Load average (1, 5, 15 min): $info{load}; processors $info{busy} % busy with other work just before the timings; the whole run took $info{duration} s.";
push @out, "- Output checks: " . ($info{checks} ? "$info{checks} FAILED (see build-bench/bench-data/failures.txt)" : 'every command gave the right bytes') . '.';
push @out, '';
push @out, '## Targets', '';
push @out, '| Target | Verdict | Figures (medians) |', '|---|---|---|';
push @out, "| $_->[1] | $_->[0] | $_->[2] |" for @verdicts;
push @out, '';
# Where the time of -m 4 goes beyond the limit, from the same run.
if (grep { $_->[0] ne 'met' && $_->[1] =~ /^mode 4/ } @verdicts) {
    push @out, '## Mode 4 and the copy limit', '';
    push @out, 'The limit only writes; Quillon also reads its two intermediate files back (it runs its stages file to file) and decodes. Medians from this run:', '';
    push @out, '| File | -m 4 | limit | limit + reading back | left for decoding within 1.5× | decoding (user time of the stages alone: text + run-length + copy) |';
    push @out, '|---|---:|---:|---:|---:|---:|';
    for my $base (@top) {
        my ($m, $l, $lr) = (med($base, 'q4'), med($base, 'limit4'), med($base, 'limit4r'));
        next unless defined $m && defined $l && defined $lr && $stage{$base}{text};
        my @u = map { $stage{$base}{$_}{user} } qw(text run-length copy);
        my $room = 1.5 * $l - $lr;
        push @out, sprintf('| %s | %s | %s | %s (%.2f×) | %s | %s + %s + %s = %s |', $base, fmt_time($m), fmt_time($l),
                           fmt_time($lr), $lr / $l, $room > 0 ? fmt_time($room) : 'nothing',
                           (map { fmt_time($_) } @u), fmt_time($u[0] + $u[1] + $u[2]));
    }
    push @out, '', 'Reading back the intermediates costs what the "limit + reading back" column adds to the limit. Within 1.5× of the limit, the decoding would have to fit in the time left after that (1.5 × limit − limit with reading back), on the one thread the program has; the decoding alone (last column, user time, the rest of each stage being its reads and writes) takes more than that. On the *runs* file the run-length stage is the larger part: a step every three bytes or so, each with a branch on whether its byte is a marker that such data makes unpredictable.', '';
}

push @out, '## Timings', '';
push @out, "Medians of $info{reps} runs per command. MB/s: MiB of .hqx text per second (for a stage alone: MiB of that stage's input per second; for the MacBinary file, MiB of it; for the folder, MiB of all its .hqx files). vs fastest peer: the fastest peer's median over this command's (above 1: faster than every peer). vs limit: this command's median over that of the limit for the same job (data fork: -m 1; both forks: -m 3; MacBinary: -m 4; a fork of the MacBinary file: the copy of that fork). Peak memory: the largest resident set of any run.", '';
push @out, @table;
push @out, '';
push @out, '## How it is measured', '';
push @out, <<"EOT";
- Inputs: `bench/hqx-gen` writes each file with the benchmark's own encoder (`bench/hqx_encode.cpp`, shared with nothing in the program; `bench/check-generator`, run by CTest, has macutils' `hexbin` decode small files of every kind and check their CRCs and forks). *random*: a data fork of random bytes (runs are rare, one byte in 256 is 0x90); *runs*: a data fork of runs of 3 to 600 bytes, 30 % of them of 0x90, between short random stretches with one 0x90 in eight bytes, so the text expands about threefold; *both*: random data fork and a resource-like resource fork (zero runs, Mac text, small numbers), half of the text each. Lines of 64 characters, LF line ends.
- Before the timings every command runs once and its output is compared with the forks the encoder wrote: Quillon's fork files and the peers' data forks with them, Quillon's `.bin` with the MacBinary file of them.
- Each timed run starts in an empty folder after a `sync`, and what it wrote (Quillon's `.bqx`, `.bix` and `.bin` files included) is deleted right after it: no command pays for replacing the files of another, nor for writing another's dirty pages to disk. The commands of one repetition run one after the other, file by file, in an order that turns by one command each repetition. `bench/bench-run` measures from fork to exit and takes the peak resident set from `wait4` (as `/usr/bin/time -v` does). All files are on the same disk, warm in the page cache; nothing is flushed to disk inside a timing.
- The limit for a mode reads the input once (`cat input >/dev/null`) and writes, with `dd`, files of the sizes Quillon writes in that mode (the `.bqx` and `.bix` files and the fork files or the `.bin` file), in the same folder. It is a floor for any program that must write those files; Quillon's design also reads both intermediate files back, which the limit does not.
- The limit "reading back" adds what Quillon's design adds to the limit of mode 4: each of the first two files is read once (`cat file >/dev/null`) after it is written, as the run-length stage reads the `.bqx` file and the MacBinary writer the `.bix` file.
- `hcopy -b` decodes into an HFS volume image made for each run (a sparse file on the same disk, `hformat` and `hmount` outside the timing).
- The program before: `quillon-cli` of commit $info{before} (MacBinary I: no dates, versions nor header CRC, the last fork unpadded), built once by `tools/bench` from `git archive` of that commit in `build-bench/`; its mode 4 runs on the same files as the current one's, its `.bin` checked against the MacBinary I file of the forks.
- The MacBinary file: `bench/hqx-gen macbinary` writes it directly, of the largest size (a MacBinary II header with its CRC, then the two forks of the *both* kind, half of the file each, lengths that are no multiple of 128, each padded). Its limit for a mode is `dd` of that fork, from where it lies in the file, to a file.
- The folder: `bench/hqx-gen folder` writes small BinHex files of the three kinds in turn, of 2 to 6 KB of text, named "Read Me 0" to "Read Me 99" in turn, so that every name comes back each hundred files and mode 1 numbers the later ones ("Read Me 7 (2)", "Read Me 7 (3)"…); and the data forks under those names, which mode 1's files must match. `-t` and mode 1 are timed given the folder, and given its files as as many arguments (the shell's list, in the same order); mode 1 on the folder once more under `ulimit -n 64`, which a handle left open per file would make fail.
- Stages alone (`bench/stage-bench`): the text stage, the run-length stage and the fork copy, each from file to file as the conversion runs them, opens and flushing closes included.
EOT
print join("\n", @out), "\n";
