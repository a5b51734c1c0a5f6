# bash completion for ciphora                                -*- shell-script -*-

_ciphora() {
    local cur=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD-1]}
    local options='-e --encrypt -d --decrypt -t --test --new-key -i --in-place -f --force --keep
        -r --recursive -S --suffix -k --key-file -o --output -q --quiet --log -h --help -V --version'
    COMPREPLY=()
    case $previous in
        -k | --key-file | -o | --output | --log | --new-key)
            # A file, or "-" for a standard stream.
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -f -- "$cur"))
            return
            ;;
        -S | --suffix)
            COMPREPLY=($(compgen -W '.cph' -- "$cur"))
            return
            ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    # The described form: ENC or DENC and the key's fifteen digits.
    if ((COMP_CWORD == 1)) && [[ $cur == [ED]* ]]; then
        COMPREPLY=($(compgen -W 'ENC DENC' -- "$cur"))
        compopt -o nospace 2>/dev/null
        return
    fi
    # Files to encipher or decipher, and folders to walk.
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$cur"))
}
complete -F _ciphora ciphora
