# The shipped program carries no window-script driver; its scripted build for the tests does (so
# this check can tell them apart). Run by CTest:
#   cmake -DPROGRAM=<motiondesk> -DSCRIPTED=<motiondesk-scripted> -P cmake/check_no_test_driver.cmake
file(STRINGS ${PROGRAM} shipped REGEX "MOTIONDESK_SCRIPT")
file(STRINGS ${SCRIPTED} scripted REGEX "MOTIONDESK_SCRIPT")
if(shipped)
    message(FATAL_ERROR "${PROGRAM} holds the window-script driver")
endif()
if(NOT scripted)
    message(FATAL_ERROR "${SCRIPTED} holds no window-script driver: the check cannot tell")
endif()
message(STATUS "the shipped program carries no window-script driver")
