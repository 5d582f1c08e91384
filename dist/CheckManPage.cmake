# cmake -DOVCALC=<ovcalc> -DMAN_PAGE=<ovcalc.1> -P CheckManPage.cmake
# The manual page names every option and every exit status that
# "ovcalc --help" gives, and no other.
execute_process(COMMAND "${OVCALC}" --help OUTPUT_VARIABLE help RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "ovcalc --help failed: ${result}")
endif()
file(READ "${MAN_PAGE}" page)

string(REGEX MATCHALL "\n  --[a-z]*" help_options "${help}")
list(TRANSFORM help_options REPLACE "\n  " "")
string(REGEX MATCH "\n\\.SH OPTIONS\n.*\n\\.SH EXIT STATUS\n" options_section "${page}")
string(REGEX MATCHALL "\n\\.B (\\\\-)+[a-z]*" page_options "${options_section}")
list(TRANSFORM page_options REPLACE "\n\\.B " "")
list(TRANSFORM page_options REPLACE "\\\\-" "-")

string(REGEX MATCH "Exit status:.*" status_text "${help}")
string(REGEX MATCHALL "[0-9] (when|for)" help_statuses "${status_text}")
list(TRANSFORM help_statuses REPLACE " .*" "")
string(REGEX MATCH "\n\\.SH EXIT STATUS\n.*\n\\.SH " status_section "${page}")
string(REGEX MATCHALL "\n\\.B [0-9]+\n" page_statuses "${status_section}")
list(TRANSFORM page_statuses REPLACE "[^0-9]" "")

foreach(kind options statuses)
    if(NOT help_${kind} STREQUAL page_${kind} OR help_${kind} STREQUAL "")
        message(FATAL_ERROR "${kind}: --help gives '${help_${kind}}', the manual page '${page_${kind}}'")
    endif()
endforeach()
message(STATUS "options ${page_options}; exit statuses ${page_statuses}")
