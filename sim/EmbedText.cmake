# Writes OUTPUT, a C++ file defining FUNCTION() in namespace motrix_sim that returns the text
# of INPUT: a file built into the library, kept in the repository as it is.
file(READ ${INPUT} text)
file(WRITE ${OUTPUT}
    "// Generated from ${INPUT}; edit that file instead.\n"
    "#include <string_view>\n\n"
    "namespace motrix_sim {\n\n"
    "std::string_view ${FUNCTION}() {\n"
    "    return R\"embedded_text(${text})embedded_text\";\n"
    "}\n\n"
    "}  // namespace motrix_sim\n")
