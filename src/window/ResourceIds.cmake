#Writes ResourceIds.h : one struct per template in res / templates, holding the
#template's own number and every named control, menu command or string as
#a constant, so the code and the templates can never disagree.
#zentory_resource_ids(OUTPUT <header> TEMPLATES <json>...)

function(zentory_append_named out_var array_json) string(JSON count LENGTH "${array_json}") set(
    text "${${out_var}}") if (count GREATER 0) math(EXPR last "${count} - 1") foreach (i RANGE ${
    last}) string(JSON item GET "${array_json}" ${i}) string(JSON name ERROR_VARIABLE missing GET
                                                             "${item}" name) if (NOT missing)
    string(JSON id GET "${item}" id) string(APPEND text
                                            "    static constexpr int k${name} = ${id};\n") endif()
        string(JSON items ERROR_VARIABLE none GET "${item}" items) if (
            NOT none) zentory_append_named(text "${items}") endif() endforeach() endif() set($ {
            out_var
        } "${text}" PARENT_SCOPE) endfunction()

            function(zentory_resource_ids) cmake_parse_arguments(ARG ""
                                                                     "OUTPUT"
                                                                     "TEMPLATES" ${ARGN})
                set(text "#pragma once\n// Generated from res/templates by "
                         "src/window/ResourceIds.cmake: edit the templates.\n\n") string(
                    APPEND text
                    "namespace zentory::ids {\n") foreach (json IN LISTS ARG_TEMPLATES)
                    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${
                        json}) file(READ ${json} content) string(JSON name GET "${content}" name)
                        string(APPEND text
                               "\nstruct ${name} {\n") foreach (key IN ITEMS dialog menu)
                            string(JSON number ERROR_VARIABLE none GET
                                   "${content}" ${key}) if (NOT none) string(TOUPPER ${
                                key} upper) string(SUBSTRING $ {
                                key
                            } 1 - 1 rest) string(SUBSTRING $ { upper } 0 1 first)
                                string(APPEND text
                                       "    static constexpr int k${first}${rest} = ${number};\n")
                                    endif()
                                        endforeach() foreach (key IN ITEMS controls popups strings)
                                            string(JSON array ERROR_VARIABLE none GET
                                                   "${content}" ${key}) if (NOT none)
                                                zentory_append_named(text "${array}") endif()
                                                    endforeach() string(APPEND text
                                                                        "};\n") endforeach()
                                                        string(APPEND text
                                                               "\n} // namespace zentory::ids\n")
                                                            file(CONFIGURE OUTPUT ${
                                                                ARG_OUTPUT} CONTENT "${text}" @ONLY)
                                                                endfunction()
