# Translations. po/<lang>.po (domain "vitrel": the program's texts, the
# desktop entry and the AppStream file) and po/catalogue/<lang>.po (domain
# "vitrel-catalogue": the treatments' titles and descriptions) are compiled,
# checked by msgfmt, into <run>/locale/<lang>/LC_MESSAGES/, where a portable
# run finds them. The languages are those listed in each folder's LINGUAS.
# The target update-translations regenerates the templates from the sources
# and merges them into the .po files (po/README.md).
find_program(VITREL_MSGFMT msgfmt REQUIRED)

function(vitrel_languages folder result)
  file(READ ${folder}/LINGUAS linguas)
  string(REGEX MATCHALL "[^ \t\r\n]+" languages "${linguas}")
  set(${result} ${languages} PARENT_SCOPE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${folder}/LINGUAS)
endfunction()

set(VITREL_PO ${CMAKE_SOURCE_DIR}/po)
# A language taken off the lists leaves no catalogue behind in the run folder,
# where a portable run and the install would still find it.
vitrel_languages(${VITREL_PO} listed_languages)
file(GLOB built_languages LIST_DIRECTORIES true RELATIVE ${RUN_DIR}/locale ${RUN_DIR}/locale/*)
foreach(lang ${built_languages})
  if(NOT lang IN_LIST listed_languages)
    file(REMOVE_RECURSE ${RUN_DIR}/locale/${lang})
  endif()
endforeach()
set(VITREL_MO_FILES)
foreach(domain vitrel vitrel-catalogue)
  if(domain STREQUAL "vitrel")
    set(folder ${VITREL_PO})
  else()
    set(folder ${VITREL_PO}/catalogue)
  endif()
  vitrel_languages(${folder} languages)
  foreach(lang ${languages})
    set(mo ${RUN_DIR}/locale/${lang}/LC_MESSAGES/${domain}.mo)
    add_custom_command(OUTPUT ${mo}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${RUN_DIR}/locale/${lang}/LC_MESSAGES
      COMMAND ${VITREL_MSGFMT} --check -o ${mo} ${folder}/${lang}.po
      DEPENDS ${folder}/${lang}.po
      COMMENT "Compiling the ${lang} catalogue of ${domain}")
    list(APPEND VITREL_MO_FILES ${mo})
  endforeach()
endforeach()
# On Windows the toolkit's own catalogue goes beside the program's, so that
# its dialogs (the print preview) speak the user's language too. It is
# Debian's, from wx3.2-i18n on the build machine: the same wxWidgets
# release the Windows program is built from.
if(WIN32)
  set(wxstd wxstd-${wxWidgets_VERSION_MAJOR}.${wxWidgets_VERSION_MINOR}.mo)
  foreach(lang ${listed_languages})
    set(source /usr/share/locale/${lang}/LC_MESSAGES/${wxstd})
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "${source} is missing: install wx${wxWidgets_VERSION_MAJOR}.${wxWidgets_VERSION_MINOR}-i18n")
    endif()
    set(mo ${RUN_DIR}/locale/${lang}/LC_MESSAGES/${wxstd})
    add_custom_command(OUTPUT ${mo}
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${mo}
      DEPENDS ${source}
      COMMENT "Copying the toolkit's ${lang} catalogue")
    list(APPEND VITREL_MO_FILES ${mo})
  endforeach()
endif()

# The desktop entry and the AppStream file with every language's texts.
vitrel_languages(${VITREL_PO} VITREL_LANGUAGES)
set(VITREL_PO_FILES)
foreach(lang ${VITREL_LANGUAGES})
  list(APPEND VITREL_PO_FILES ${VITREL_PO}/${lang}.po)
endforeach()
set(VITREL_TRANSLATED ${CMAKE_BINARY_DIR}/translated)
set(VITREL_DESKTOP_IN ${CMAKE_SOURCE_DIR}/packaging/linux/org.vitrel.Vitrel.desktop)
set(VITREL_METAINFO_IN ${CMAKE_SOURCE_DIR}/packaging/linux/org.vitrel.Vitrel.metainfo.xml)
add_custom_command(OUTPUT ${VITREL_TRANSLATED}/org.vitrel.Vitrel.desktop
                          ${VITREL_TRANSLATED}/org.vitrel.Vitrel.metainfo.xml
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VITREL_TRANSLATED}
  COMMAND ${VITREL_MSGFMT} --desktop --template=${VITREL_DESKTOP_IN} -d ${VITREL_PO}
          -o ${VITREL_TRANSLATED}/org.vitrel.Vitrel.desktop
  COMMAND ${VITREL_MSGFMT} --xml --template=${VITREL_METAINFO_IN} -d ${VITREL_PO}
          -o ${VITREL_TRANSLATED}/org.vitrel.Vitrel.metainfo.xml
  DEPENDS ${VITREL_DESKTOP_IN} ${VITREL_METAINFO_IN} ${VITREL_PO_FILES} ${VITREL_PO}/LINGUAS
  COMMENT "Translating the desktop entry and the AppStream file")

add_custom_target(translations ALL DEPENDS ${VITREL_MO_FILES}
  ${VITREL_TRANSLATED}/org.vitrel.Vitrel.desktop ${VITREL_TRANSLATED}/org.vitrel.Vitrel.metainfo.xml)
add_dependencies(vitrel translations)

add_custom_target(update-translations
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/update-translations
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  COMMENT "Regenerating the translation templates and merging them into po/"
  USES_TERMINAL)
