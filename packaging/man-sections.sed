# help2man makes the help's "Commands:", "Settings:" and "Exit status:"
# sub-sections; a manual page has them as sections of their own.
s/^\.SS "\(Commands\|Settings\|Exit status\):"$/.SH "\U\1"/
