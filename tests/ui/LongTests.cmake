# Run by ctest after the tests have been discovered. A test that starts the
# program hundreds of times on purpose needs longer than the others: each
# start of the sanitized binary costs about half a second of CPU.
set_tests_properties("RunningApplication.SecondStartsWhileThePageSavesLoseNoVisit"
                     PROPERTIES TIMEOUT 600)
