# Lay out the same tree as the build's application folder under the install prefix:
# programs and libraries come from their install(TARGETS) rules (with $ORIGIN rpaths),
# everything else is copied from the assembled folder.
install(DIRECTORY "${ZT_APP_DIR}/" DESTINATION "."
        PATTERN "bin" EXCLUDE)
