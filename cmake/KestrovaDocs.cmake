# SPDX-License-Identifier: BSD-2-Clause
# Documents of the installation: gzip-compressed manual pages and release notes, and the
# machine-readable copyright file of the Debian package made from LICENSE.

# Installs FILE as FILE.gz into DESTINATION, compressed at build time without a name or time
# stamp so that the same file gives the same bytes.
function(kestrova_install_gzipped file destination)
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${file}.gz
                     COMMAND gzip -9 -n -k -f ${file}
                     DEPENDS ${file}
                     COMMENT "Compressing ${name}")
  add_custom_target(gzip-${name} ALL DEPENDS ${file}.gz)
  install(FILES ${file}.gz DESTINATION ${destination})
endfunction()

# Writes OUTPUT from TEMPLATE with the copyright holder and the licence text of LICENCE: the
# holder from its "Copyright (c) YEAR, HOLDER" line, the text after it as a copyright-format
# paragraph (each line indented by one blank, an empty line as " .").
function(kestrova_copyright licence template output)
  file(READ ${licence} text)
  if(NOT text MATCHES "Copyright \\(c\\) ([0-9-]+), ([^\n]+)\n\n(.*[^\n])\n*$")
    message(FATAL_ERROR "${licence}: no line \"Copyright (c) YEAR, HOLDER\" followed by the licence")
  endif()
  set(KESTROVA_COPYRIGHT "${CMAKE_MATCH_1} ${CMAKE_MATCH_2}")
  string(REPLACE "\n\n" "\n.\n" body "${CMAKE_MATCH_3}")
  string(REPLACE "\n" "\n " KESTROVA_LICENCE_TEXT " ${body}")
  configure_file(${template} ${output} @ONLY)
endfunction()
