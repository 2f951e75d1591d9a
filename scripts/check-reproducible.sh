#!/usr/bin/env bash
# Checks that the release packages can be rebuilt byte for byte: builds them twice from the
# current commit with scripts/package.sh, in two fresh clones at different paths, under different
# umasks and time zones and minutes apart, then compares the two dist/ folders. Prints each
# file's SHA-256 and whether both builds agree; for a file that differs, diffoscope's report of
# where. Exits with 1 on any difference. Usage: check-reproducible.sh [--keep]
# (--keep leaves the scratch clones in place for a closer look.)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test

keep=no
[[ "${1:-}" == --keep ]] && keep=yes
commit=$(git rev-parse HEAD)
if [[ -n "$(git status --porcelain --untracked-files=no)" ]]; then
    echo "Note: uncommitted changes are not built; the clones build commit $commit"
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/sorvelin-reproducible.XXXXXX")
[[ $keep == yes ]] || trap 'rm -rf "$scratch"' EXIT
first=$scratch/first
second=$scratch/second/a/longer/path/to/sorvelin

# build FOLDER UMASK TIME_ZONE: clones the commit into FOLDER and packages it there, with the
# umask already in force for the clone, so that the checked-out files' modes differ too.
build() {
    local folder=$1
    (
        umask "$2"
        mkdir -p "$(dirname "$folder")"
        git clone --quiet --no-checkout "$PWD" "$folder"
        git -C "$folder" checkout --quiet --detach "$commit"
        cd "$folder"
        echo "== Packaging $commit in $folder (umask $2, TZ=$3, $(date -u +%H:%M:%S) UTC)"
        env -u SOURCE_DATE_EPOCH TZ="$3" scripts/package.sh > "$folder.log" 2>&1 ||
            { tail -n 40 "$folder.log"; echo "scripts/package.sh failed in $folder" >&2; exit 1; }
    )
}
build "$first" 022 UTC
build "$second" 077 Asia/Tokyo

same=yes
echo
printf '%-40s %-64s %s\n' File SHA-256 "Same bytes?"
mapfile -t files < <( (cd "$first/dist" && ls) ; (cd "$second/dist" && ls) )
mapfile -t files < <(printf '%s\n' "${files[@]}" | sort -u)
for file in "${files[@]}"; do
    a=$first/dist/$file
    b=$second/dist/$file
    if [[ ! -f $a || ! -f $b ]]; then
        printf '%-40s %-64s %s\n' "$file" - "no: made by one build only"
        same=no
    elif cmp -s "$a" "$b"; then
        printf '%-40s %-64s %s\n' "$file" "$(sha256sum < "$a" | cut -d' ' -f1)" yes
    else
        printf '%-40s %-64s %s\n' "$file" "$(sha256sum < "$a" | cut -d' ' -f1)" no
        same=no
    fi
done

if [[ $same == no ]]; then
    for file in "${files[@]}"; do
        a=$first/dist/$file
        b=$second/dist/$file
        if [[ -f $a && -f $b ]] && ! cmp -s "$a" "$b"; then
            echo
            echo "== diffoscope: $file (first lines of the report)"
            diffoscope --no-progress --text-color never --max-diff-block-lines 10 "$a" "$b" |
                head -n 120 || true
        fi
    done
    [[ $keep == yes ]] && echo "The clones are kept in $scratch"
    echo "NOT REPRODUCIBLE: the two builds differ"
    exit 1
fi
echo
echo "Reproducible: both builds of $commit wrote the same bytes. Their dist/SHA256SUMS:"
cat "$first/dist/SHA256SUMS"
