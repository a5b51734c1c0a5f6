# PowerShell completion for ciphora.exe: dot-source this file, or add it to
# your profile ($PROFILE).

Register-ArgumentCompleter -Native -CommandName ciphora, ciphora.exe -ScriptBlock {
    param($wordToComplete, $commandAst, $cursorPosition)
    $options = [ordered]@{
        '-e' = 'encipher'; '--encrypt' = 'encipher'
        '-d' = 'decipher'; '--decrypt' = 'decipher'
        '-t' = 'check cipher text, writing nothing'; '--test' = 'check cipher text, writing nothing'
        '--new-key' = 'write a new random key to FILE'
        '-i' = 'write each FILE beside itself'; '--in-place' = 'write each FILE beside itself'
        '-f' = 'replace an existing target'; '--force' = 'replace an existing target'
        '--keep' = 'keep the source'
        '-r' = 'walk folders'; '--recursive' = 'walk folders'
        '-S' = 'the suffix of cipher text files'; '--suffix' = 'the suffix of cipher text files'
        '-k' = 'read the key from FILE'; '--key-file' = 'read the key from FILE'
        '-o' = 'write FILE instead of standard output'; '--output' = 'write FILE instead of standard output'
        '-q' = 'no progress and no warnings'; '--quiet' = 'no progress and no warnings'
        '--log' = 'also append every message to FILE'
        '-h' = 'show the help'; '--help' = 'show the help'
        '-V' = 'show the version and the cipher kernel in use'; '--version' = 'show the version and the cipher kernel in use'
    }
    $words = @($commandAst.CommandElements | ForEach-Object { $_.ToString() })
    $previous = if ($wordToComplete) { $words[-2] } else { $words[-1] }
    if ($previous -in '-S', '--suffix') {
        return [System.Management.Automation.CompletionResult]::new('.cph', '.cph', 'ParameterValue', 'suffix')
    }
    if ($wordToComplete.StartsWith('-') -and $previous -notin '-k', '--key-file', '-o', '--output', '--log', '--new-key') {
        return $options.Keys | Where-Object { $_ -like "$wordToComplete*" } | ForEach-Object {
            [System.Management.Automation.CompletionResult]::new($_, $_, 'ParameterName', $options[$_])
        }
    }
    # Nothing offered: PowerShell completes the names of files and folders.
}
