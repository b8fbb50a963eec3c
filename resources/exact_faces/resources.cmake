# Derives, once per build folder, copies of the packaged CJK and Devanagari faces whose text reads
# back from an exported PDF exactly as it was typed: no Kangxi radical in place of an ideograph, no
# precomposed nukta letter in place of the letter and nukta typed (derive_exact_faces.py says why
# and how); and a copy of the Thaana face that Qt will set Thaana in at all. They go to
# <build>/fonts/exact/cjk, …/devanagari and …/thaana, where FontResolver registers a folder the
# first time a PDF text needs it and puts its faces ahead of the packaged ones (the CJK folder
# holds some 85 MB, the others under 2). Needs python3-fonttools
# (scripts/deps/cjk.txt); without it, or without the packaged faces, nothing is derived and the
# packaged faces are used as they are.
set(QUILLORA_EXACT_GROUPS cjk devanagari thaana)
set(QUILLORA_EXACT_FAMILIES_cjk
    "Noto Sans CJK SC" "Noto Sans CJK JP" "Noto Serif CJK SC" "Noto Serif CJK JP" "Noto Sans Mono CJK SC")
set(QUILLORA_EXACT_FAMILIES_devanagari "Noto Sans Devanagari" "Noto Serif Devanagari" "Lohit Devanagari")
set(QUILLORA_EXACT_FAMILIES_thaana "Noto Sans Thaana")
set(QUILLORA_EXACT_FACES_DIR ${CMAKE_BINARY_DIR}/fonts/exact)
target_compile_definitions(quillora_core PRIVATE QUILLORA_EXACT_FACES_DIR="${QUILLORA_EXACT_FACES_DIR}")

# Debian's interpreter first: the one with python3-fonttools.
find_program(QUILLORA_PYTHON3 NAMES python3 HINTS /usr/bin)
find_program(QUILLORA_FC_LIST NAMES fc-list)
set(quillora_exact_ready FALSE)
if(QUILLORA_PYTHON3 AND QUILLORA_FC_LIST)
    execute_process(COMMAND ${QUILLORA_PYTHON3} -c "import fontTools"
        RESULT_VARIABLE quillora_fonttools_missing OUTPUT_QUIET ERROR_QUIET)
    if(NOT quillora_fonttools_missing)
        set(quillora_exact_ready TRUE)
    endif()
endif()

set(quillora_exact_outputs)
set(quillora_exact_count 0)
foreach(group IN LISTS QUILLORA_EXACT_GROUPS)
    set(sources)
    set(family_args)
    if(quillora_exact_ready)
        foreach(family IN LISTS QUILLORA_EXACT_FAMILIES_${group})
            execute_process(COMMAND ${QUILLORA_FC_LIST} -f "%{file}\n" ":family=${family}"
                OUTPUT_VARIABLE files OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
            if(files)
                string(REPLACE "\n" ";" files "${files}")
                list(APPEND sources ${files})
                list(APPEND family_args --family "${family}")
            endif()
        endforeach()
    endif()
    if(NOT sources)
        continue()
    endif()
    list(REMOVE_DUPLICATES sources)
    list(SORT sources)
    set(outputs)
    foreach(source IN LISTS sources)
        get_filename_component(stem ${source} NAME_WLE)
        list(APPEND outputs ${QUILLORA_EXACT_FACES_DIR}/${group}/${stem}-exact.ttc)
    endforeach()
    add_custom_command(OUTPUT ${outputs}
        COMMAND ${QUILLORA_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/derive_exact_faces.py
            ${QUILLORA_EXACT_FACES_DIR}/${group} ${sources} ${family_args}
        DEPENDS ${CMAKE_CURRENT_LIST_DIR}/derive_exact_faces.py ${sources}
        COMMENT "Deriving ${group} faces whose text reads back exactly from PDFs"
        VERBATIM)
    list(APPEND quillora_exact_outputs ${outputs})
    list(LENGTH sources count)
    math(EXPR quillora_exact_count "${quillora_exact_count} + ${count}")
endforeach()

if(quillora_exact_outputs)
    add_custom_target(quillora_exact_faces DEPENDS ${quillora_exact_outputs})
    add_dependencies(quillora_core quillora_exact_faces)
    message(STATUS "Deriving exact faces from ${quillora_exact_count} packaged font files")
else()
    message(WARNING "python3-fonttools or the Noto CJK faces are missing: Chinese and Japanese text "
                    "in exported PDFs may read back as look-alike radicals")
endif()
