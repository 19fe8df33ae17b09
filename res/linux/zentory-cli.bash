# bash completion for zentory-cli.
# The options are read from `zentory-cli --help`, so an option added to the
# program completes without a change here. The value of an option shown with
# FILE completes file names, FOLDER or DIR folder names, FORMAT the list's
# formats, any other value nothing; the positional FOLDER completes folder names.
_zentory_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local name value names=()
    while read -r name value; do
        names+=("$name")
        [[ $prev == "$name" ]] || continue
        case $value in
        FILE) mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
        FOLDER | DIR) mapfile -t COMPREPLY < <(compgen -d -- "$cur") ;;
        FORMAT) mapfile -t COMPREPLY < <(compgen -W "text csv json html tree" -- "$cur") ;;
        -) continue ;;
        *) COMPREPLY=() ;;
        esac
        return
    done < <("${COMP_WORDS[0]}" --help 2>/dev/null |
        awk '/^ +-/ { n = split($1, names, ",")
                      for (i = 1; i <= n; i++) print names[i], ($2 ~ /^[A-Z]+$/ ? $2 : "-") }')
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "${names[*]}" -- "$cur")
    else
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
    fi
}
complete -o filenames -F _zentory_cli zentory-cli
