# Included by ctest after the discovered tests are defined: tests that must
# not share the machine with others.
set_tests_properties("JackServer.ASongReachesTheDeviceWholeInOrderAndAtItsLevel" PROPERTIES RUN_SERIAL TRUE)
set_tests_properties("JackServer.TheControllerPlaysAListWholeAndInOrder" PROPERTIES RUN_SERIAL TRUE)
set_tests_properties("JackServer.TheTransportStripPlaysASong" PROPERTIES RUN_SERIAL TRUE)
