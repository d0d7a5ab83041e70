# bash completion for kestrel-backup-cli: its commands, each command's own options, setup files
# (*.zbk), folders and the values some options take.

_kestrel_backup_cli() {
    local cur prev words cword
    if declare -F _init_completion >/dev/null 2>&1; then
        _init_completion || return
    else
        cur=${COMP_WORDS[COMP_CWORD]}
        prev=${COMP_WORDS[COMP_CWORD-1]}
        words=("${COMP_WORDS[@]}")
        cword=$COMP_CWORD
    fi

    local commands="backup check list delete multiple save show setups-folder restore help"
    local setup="--source --target --include --include-all --subfolders --exclude-source-files
        --ext --skip --modified-since --warn-older --warn-smaller --suppress-details --report
        --no-report --remove-deleted --max-remove --keep-versions --links --keep-attributes"
    local deleting="--source --target --report --no-report"
    local other="--help --version"
    local running="--yes --progress --summary --notify"

    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
        --source | --target | --include | --ext | --skip | --modified-since | --warn-smaller | --report | \
            --max-remove | --keep-versions | --to | --subfolder | --versions)
            ((i++)) ;;
        -*) ;;
        *)
            command=${words[i]}
            break
            ;;
        esac
    done

    case $prev in
    --source | --target | --to)
        COMPREPLY=($(compgen -d -- "$cur"))
        return
        ;;
    --include)
        local source="" j
        for ((j = 1; j < cword; j++)); do
            [[ ${words[j]} == --source ]] && source=${words[j+1]}
        done
        if [[ -n $source && -d $source ]]; then
            COMPREPLY=($(cd -- "$source" 2>/dev/null && compgen -d -- "$cur"))
        fi
        return
        ;;
    --report)
        COMPREPLY=($(compgen -f -- "$cur"))
        return
        ;;
    --modified-since)
        COMPREPLY=($(compgen -W "any 3 7 14 28" -- "$cur"))
        return
        ;;
    --warn-smaller)
        COMPREPLY=($(compgen -W "10 20 30 40 50 60 70 80 90" -- "$cur"))
        return
        ;;
    --ext | --skip | --max-remove | --keep-versions | --subfolder | --versions)
        return
        ;;
    esac

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "$other" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local options
    case $command in
    backup) options="$setup --all --unattended --shutdown --no-disk-check $running $other" ;;
    check | list) options="$setup $running $other" ;;
    delete) options="$deleting --wipe $running $other" ;;
    multiple) options="--no-disk-check $running $other" ;;
    save | show) options="$setup $other" ;;
    setups-folder) options="--clear $other" ;;
    restore) options="$setup --to --subfolder --versions --overwrite-newer --check --no-disk-check $running $other" ;;
    help)
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        return
        ;;
    *) return ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ $command == setups-folder ]]; then
        COMPREPLY=($(compgen -d -- "$cur"))
    elif [[ $command == multiple ]]; then
        COMPREPLY=($(compgen -f -X '!*.zbk' -- "$cur") $(compgen -d -- "$cur"))
    else
        COMPREPLY=($(compgen -f -X '!*.zbk' -- "$cur") $(compgen -d -S / -- "$cur"))
        compopt -o nospace 2>/dev/null
        [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} != */ ]] && compopt +o nospace 2>/dev/null
    fi
}

complete -F _kestrel_backup_cli kestrel-backup-cli
