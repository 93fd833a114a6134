# Post-build step of the player stub: writes its size in bytes to OUT and prints it. The
# builder embeds the stub, so every packed book carries this many bytes before its archive.
file(SIZE "${FILE}" size)
get_filename_component(name "${FILE}" NAME)
file(WRITE "${OUT}" "${size}\n")
message(STATUS "${name} (${ARCH}): ${size} bytes")
