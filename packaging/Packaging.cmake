# Installing and the Debian package. The executables and the browser module go to
# /usr/lib/orvessa (the module is looked for beside the executable), with links on the PATH; the
# defaults a user's program directory is made from, and the manual, go to /usr/share/orvessa.
# The build's own program directory is not touched: installing copies from it.
set(ORVESSA_INSTALL_PROGRAM_DIR lib/orvessa)
set(ORVESSA_INSTALL_DATA_DIR share/orvessa)
if(ORVESSA_CORE_ONLY)
    return()
endif()

set(ORVESSA_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(ORVESSA_PACKAGING_BUILD_DIR ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${ORVESSA_PACKAGING_BUILD_DIR}/bin)

# orvessa, orvessa-rehearse and orvessa-console on the PATH, as relative links made in the
# build tree.
foreach(program orvessa orvessa-rehearse orvessa-console)
    file(CREATE_LINK ../${ORVESSA_INSTALL_PROGRAM_DIR}/${program}
        ${ORVESSA_PACKAGING_BUILD_DIR}/bin/${program} SYMBOLIC)
    install(FILES ${ORVESSA_PACKAGING_BUILD_DIR}/bin/${program} DESTINATION bin)
endforeach()

install(FILES ${ORVESSA_PACKAGING_DIR}/orvessa.desktop DESTINATION share/applications)
foreach(size 16 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/pictures/orvessa-${size}.png
        DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME orvessa.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/pictures/orvessa.svg
    DESTINATION share/icons/hicolor/scalable/apps)

# Debian wants the copyright and a changelog compressed the way its tools check for.
set(ORVESSA_CHANGELOG_GZ ${ORVESSA_PACKAGING_BUILD_DIR}/changelog.gz)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ORVESSA_PACKAGING_DIR}/changelog)
execute_process(COMMAND gzip -9nc ${ORVESSA_PACKAGING_DIR}/changelog
    OUTPUT_FILE ${ORVESSA_CHANGELOG_GZ} COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${ORVESSA_PACKAGING_DIR}/copyright ${ORVESSA_CHANGELOG_GZ}
    DESTINATION share/doc/orvessa)

# The unit that sets the real-time clock's alarm at shutdown (its helper, orvessa-wake-alarm, is
# installed with the programs), enabled and started by the package's scripts.
install(FILES ${ORVESSA_PACKAGING_DIR}/orvessa-wake.service DESTINATION lib/systemd/system)
# The broadcast as a service (orvessa-station), one instance per program directory; the
# administrator enables the instances, the package only restarts or stops those that run.
install(FILES ${ORVESSA_PACKAGING_DIR}/orvessa-station@.service DESTINATION lib/systemd/system)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${ORVESSA_PACKAGING_DIR}/postinst ${ORVESSA_PACKAGING_DIR}/prerm ${ORVESSA_PACKAGING_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvessa)
set(CPACK_PACKAGE_VENDOR "Orvessa")
set(CPACK_PACKAGE_CONTACT "Orvessa developers <developers@orvessa.example.org>")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orvessa.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "timed broadcast system for one PC")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Orvessa rings the bells, plays the morning music, shows a video on a second
monitor and opens web pages to a weekly timetable, skips holidays, and shuts
the PC down at night. The interface is Chinese and its files are GBK.

orvessa-rehearse runs a day of a timetable on a simulated clock; orvessa-console
sets up the web console's address, users and tokens; orvessa-station runs the
broadcast as a systemd service without a display.")
# The libraries the binaries link, found by dpkg-shlibdeps; and what is only loaded at run time:
# the GStreamer plugins for the common formats and the sinks, the CJK font the Chinese interface
# is drawn in, and dbus-send, through which the computer is shut down.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, \
gstreamer1.0-plugins-bad, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, gstreamer1.0-x, \
gstreamer1.0-alsa, gstreamer1.0-gl, gstreamer1.0-pulseaudio, fonts-wqy-microhei, qt6-translations-l10n, dbus-bin")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
