#!/usr/bin/perl
# Writes a manual page from its template and what the built program says with --help and
# --version, so the page lists exactly the commands, options and exit codes the program knows.
# Usage: manpage.pl PROGRAM TEMPLATE OUTPUT
#
# Placeholders in the template:
#   @VERSION@       the version, as --version prints it after the program name
#   @SYNOPSIS@      the "Aufruf:" lines of --help
#   @OPTIONS@       the "Optionen:" block of --help
#   @COMMANDS@      every command of the "Befehle:" block with its own --help text
#   @HELP:Words@    the sentence of --help that begins with Words
#   @AFTER:Words@   the same sentence without Words
use strict;
use warnings;
use utf8;

binmode STDOUT, ':encoding(UTF-8)';
@ARGV == 3 or die "usage: manpage.pl PROGRAM TEMPLATE OUTPUT\n";
my ($program, $template, $output) = @ARGV;
(my $name = $program) =~ s{.*/}{};

sub run {
  my @args = @_;
  # German texts, whatever the build machine's locale.
  local $ENV{LANG} = 'C.UTF-8';
  local $ENV{LC_ALL} = 'C.UTF-8';
  open(my $pipe, '-|', $program, @args) or die "$program: $!\n";
  binmode $pipe, ':encoding(UTF-8)';
  local $/;
  my $text = <$pipe>;
  close $pipe or die "$program @args failed\n";
  return $text;
}

# Plain text as roff: backslashes and minus signs escaped, no line taken for a request.
sub esc {
  my ($t) = @_;
  $t =~ s/\\/\\e/g;
  $t =~ s/-/\\-/g;
  $t =~ s/^([.'])/\\&$1/mg;
  return $t;
}

# A call as roff: literal words (names, options) bold, placeholders in capitals italic.
sub call {
  my ($t) = @_;
  my $out = '';
  while ($t =~ /\G(?:(--?[a-z][a-z-]*|[a-z][a-z0-9._-]*)|(\p{Lu}[\p{Lu}\d_]*(?:\.\.\.)?)|(.))/gs) {
    if (defined $1) {
      $out .= '\fB' . esc($1) . '\fR';
    } elsif (defined $2) {
      $out .= '\fI' . esc($2) . '\fR';
    } else {
      $out .= esc($3);
    }
  }
  return $out;
}

my $help = run('--help');
my @lines = split /\n/, $help;

my ($version) = run('--version') =~ /^\S+\s+(.*?)\s*$/m;
defined $version or die "$program --version said nothing\n";

# "Aufruf: prog ARGS" and the lines under it that repeat the program name.
my @synopsis;
for my $line (@lines) {
  if ($line =~ /^Aufruf:\s+\Q$name\E\b\s*(.*)$/ || (@synopsis && $line =~ /^\s+\Q$name\E\b\s*(.*)$/)) {
    push @synopsis, $1;
  } elsif (@synopsis) {
    last;
  }
}
@synopsis or die "$program --help shows no \"Aufruf:\" line\n";
my $synopsis = join ".br\n", map { '.B ' . esc($name) . "\n" . call($_) . "\n" } @synopsis;

# The lines of a block that starts with HEADING and ends at an empty line.
sub block {
  my ($heading) = @_;
  my @found;
  my $in = 0;
  for my $line (@lines) {
    if ($line eq $heading) { $in = 1; next; }
    last if $in && $line eq '';
    push @found, $line if $in;
  }
  return @found;
}

my $options = '';
for my $line (block('Optionen:')) {
  my ($form, $text) = $line =~ /^\s+(\S.*?)\s{2,}(\S.*)$/ or die "unexpected option line: $line\n";
  $options .= ".TP\n" . call($form) . "\n" . esc(ucfirst $text) . ".\n";
}

my $commands = '';
for my $line (block('Befehle:')) {
  my ($command) = $line =~ /^  ([a-z][a-z-]*)\b/ or next;
  my $about = run($command, '--help');
  my ($usage, $text) = $about =~ /^Aufruf:\s+\Q$name\E\s+(.*?)\n\n(.*?)\s*$/s
    or die "unexpected help of $command: $about\n";
  $commands .= ".TP\n" . call($usage) . "\n" . esc($text) . "\n";
}

# The sentence of --help beginning with WORDS, its line breaks undone.
sub sentence {
  my ($words) = @_;
  my $flat = join ' ', map { s/^\s+//r } @lines;
  $flat =~ /\Q$words\E\s*(.*?[.!])(?=\s|$)/ or die "$program --help says nothing beginning with \"$words\"\n";
  return $1;
}

open(my $in, '<:encoding(UTF-8)', $template) or die "$template: $!\n";
my $page = do { local $/; <$in> };
close $in;
$page =~ s/\@VERSION\@/esc($version)/ge;
$page =~ s/\@SYNOPSIS\@\n/$synopsis/g;
$page =~ s/\@OPTIONS\@\n/$options/g;
$page =~ s/\@COMMANDS\@\n/$commands/g;
$page =~ s/\@HELP:([^@]+)\@/esc("$1 " . sentence($1))/ge;
$page =~ s/\@AFTER:([^@]+)\@/esc(sentence($1))/ge;
die "$template: unknown placeholder $1\n" if $page =~ /(\@[A-Z]+(?::[^@]*)?\@)/;

open(my $out, '>:encoding(UTF-8)', "$output.tmp") or die "$output: $!\n";
print $out $page;
close $out or die "$output: $!\n";
rename "$output.tmp", $output or die "$output: $!\n";
