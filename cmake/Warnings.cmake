# Warnings are errors everywhere: a warning left today hides tomorrow's fault.
add_compile_options(-Wall -Wextra -Wpedantic -Werror -Wshadow)
