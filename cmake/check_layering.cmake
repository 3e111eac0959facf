# Dependencies point downwards only. Every #include of the suite's own headers is an edge from
# the room of the including file to the room of the included one; this script fails on an edge
# that the rooms' order does not allow. Run by CTest:
#   cmake -DSOURCE_DIR=<root> -P cmake/check_layering.cmake

# A file's room: the deepest folder of this list that holds it.
set(rooms
    motionctl
    motiondesk/app motiondesk/main motiondesk/simulate motiondesk/plot motiondesk/setup motiondesk/connection
    motiondesk/windows
    motiondesk/jobs motiondesk/session motiondesk/ui
    proglift/loader proglift/windows proglift
    progsmith/compiler progsmith
    simulator/sim simulator
    controller
    link jobfiles zentorcom common)

# What each room may include besides itself.
set(allowed_common "")
set(allowed_zentorcom "")
set(allowed_link common)
set(allowed_jobfiles common)
# What the controller's replies mean and its parameter set, over the link.
set(allowed_controller link common)
set(allowed_progsmith/compiler jobfiles common)
set(allowed_progsmith progsmith/compiler jobfiles common)
# The program text box highlights the language's words from the compiler's own list; the
# user-interface service is what the transport tells of failures.
set(allowed_motiondesk/ui controller link progsmith/compiler)
set(allowed_motiondesk/session link motiondesk/ui common)
set(allowed_motiondesk/jobs motiondesk/session link jobfiles motiondesk/ui common)
set(allowed_motiondesk/setup motiondesk/session controller link motiondesk/ui common)
set(allowed_motiondesk/windows
    motiondesk/jobs motiondesk/session link motiondesk/ui progsmith/compiler
    common)
set(allowed_motiondesk/connection motiondesk/session link motiondesk/ui common)
# The plot draws what the main window hands it; it knows no window but its own.
set(allowed_motiondesk/plot motiondesk/ui common)
# The program simulator runs the simulator's engine on what the compiler gives, and plots it.
set(allowed_motiondesk/simulate
    motiondesk/plot motiondesk/ui simulator controller progsmith/compiler jobfiles common)
set(allowed_motiondesk/main
    motiondesk/simulate motiondesk/plot motiondesk/windows motiondesk/setup motiondesk/jobs motiondesk/session
    controller link jobfiles motiondesk/ui progsmith/compiler common)
set(allowed_motiondesk/app
    motiondesk/main motiondesk/connection motiondesk/windows motiondesk/setup motiondesk/jobs
    motiondesk/session link jobfiles motiondesk/ui common)
set(allowed_proglift/loader link jobfiles common)
set(allowed_proglift/windows proglift/loader link jobfiles common)
set(allowed_proglift proglift/windows proglift/loader link jobfiles common)
# The in-process adapters implement the link's serial, TCP and USB interfaces for tests.
set(allowed_simulator link progsmith/compiler common)
set(allowed_simulator/sim simulator zentorcom progsmith/compiler common)
# The command line stands beside Motiondesk on the top floor, over the rooms below both.
set(allowed_motionctl
    proglift/loader progsmith/compiler simulator controller link jobfiles common)

function(room_of path out)
    foreach(room ${rooms})
        if(path MATCHES "^${room}/")
            set(${out} ${room} PARENT_SCOPE)
            return()
        endif()
    endforeach()
    set(${out} "" PARENT_SCOPE)
endfunction()

set(violations "")
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/common/*.[ch]* ${SOURCE_DIR}/link/*.[ch]* ${SOURCE_DIR}/jobfiles/*.[ch]*
     ${SOURCE_DIR}/controller/*.[ch]* ${SOURCE_DIR}/motionctl/*.[ch]*
     ${SOURCE_DIR}/motiondesk/*.[ch]*
     ${SOURCE_DIR}/proglift/*.[ch]*
     ${SOURCE_DIR}/progsmith/*.[ch]* ${SOURCE_DIR}/simulator/*.[ch]* ${SOURCE_DIR}/zentorcom/*.[ch]*)
foreach(source ${sources})
    if(NOT source MATCHES "\\.(h|cpp)$")
        continue()
    endif()
    room_of(${source} from)
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include \"")
    foreach(line ${includes})
        string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
        room_of(${header} to)
        if(to STREQUAL "" OR to STREQUAL from)
            continue()
        endif()
        list(FIND allowed_${from} ${to} found)
        if(found EQUAL -1)
            string(APPEND violations "  ${source} (${from}) includes ${header} (${to})\n")
        endif()
    endforeach()
endforeach()

if(violations)
    message(FATAL_ERROR "Includes that go against the rooms' order:\n${violations}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files follow the rooms' order")
