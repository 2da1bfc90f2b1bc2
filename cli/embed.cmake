# Writes OUT, a C++ source holding the bytes of IN as cli::kRundeloExe.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR bytes "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" body "${body}")
file(WRITE ${OUT}.new "#include \"rundelo_exe.h\"\n\nnamespace cli {\n\nconst unsigned char kRundeloExe[] = {\n${body}\n};\nconst std::size_t kRundeloBytes = ${bytes};\n\n}  // namespace cli\n")
file(RENAME ${OUT}.new ${OUT})
