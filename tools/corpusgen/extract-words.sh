#!/usr/bin/env bash
# extract-words.sh [DIC]: writes resources/content/words-he.txt, the word list the corpus generator
# draws from, out of a Hebrew hunspell dictionary (Debian's hunspell-he by default). Only needed to
# regenerate the committed list; the build never runs it.
# Keeps words of two to six Hebrew letters (alef to tav, no other characters) that begin at least
# 20 other entries of the dictionary: those are stems, not inflected forms, so the text reads like
# a list of plain words. A stem is a prefix and so ends in a letter's regular form; as a word of
# its own its last kaf, mem, nun, pe or tsadi takes the final form, and it is kept when that word
# is in the dictionary. Every n-th stem of the sorted list is taken, so the choice spreads over
# the whole alphabet, and the result is sorted. Perl comes with every Debian system.
set -euo pipefail
cd "$(dirname "$0")/../.."
dic=${1:-/usr/share/hunspell/he_IL.dic}
out=resources/content/words-he.txt
count=${WORDS:-4000}
export LC_ALL=C.UTF-8
tail -n +2 "$dic" | cut -d/ -f1 | grep -P '^[\x{05D0}-\x{05EA}]{2,9}$' | sort -u |
    perl -CSD -ne 'chomp; $known{$_} = 1; push @all, $_;
        END {
            for $w (@all) {
                for $n (2 .. 6) { last if $n >= length($w); $begins{substr($w, 0, $n)}++; }
            }
            for $p (sort keys %begins) {
                next if $begins{$p} < 20;
                $p =~ s/\x{05DB}$/\x{05DA}/; $p =~ s/\x{05DE}$/\x{05DD}/; $p =~ s/\x{05E0}$/\x{05DF}/;
                $p =~ s/\x{05E4}$/\x{05E3}/; $p =~ s/\x{05E6}$/\x{05E5}/;
                print "$p\n" if $known{$p};
            }
        }' | sort -u >"$out.stems"
total=$(wc -l <"$out.stems")
step=$(( total / count )); [ "$step" -ge 1 ] || step=1
awk -v step="$step" -v count="$count" 'NR % step == 0 && taken < count { print; taken++ }' "$out.stems" | sort -u >"$out"
rm -f "$out.stems"
echo "$(wc -l <"$out") words written to $out"
