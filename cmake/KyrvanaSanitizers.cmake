# One sanitizer set applies to every target of a build folder, so that the
# libraries and the tests that link them are instrumented alike.
if(KYRVANA_SANITIZE)
    string(REPLACE ";" "," _kyrvana_san "${KYRVANA_SANITIZE}")
    add_compile_options(-fsanitize=${_kyrvana_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${_kyrvana_san})
endif()
