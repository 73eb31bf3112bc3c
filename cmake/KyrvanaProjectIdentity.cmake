# What the programs need to know about how they were built and installed: the
# version, the id that names the desktop entry, icon and metainfo, and where
# the udev rule for the stimulator's port goes. One generated header carries
# them, so that no source file repeats them.
set(KYRVANA_APP_ID "com.brantfieldinstruments.Kyrvana")
# The sizes of the icon's pictures (packaging/icons/kyrvana-<size>.png), for
# the icon theme and the window.
set(KYRVANA_ICON_SIZES 16 22 24 32 48 64 128 256)

# udev reads rules from /usr/lib/udev/rules.d and /usr/local/lib/udev/rules.d,
# so the rule follows the installation prefix; a relative path is taken below
# the prefix.
set(KYRVANA_INSTALL_UDEVRULESDIR "lib/udev/rules.d" CACHE PATH "udev rules (PREFIX/lib/udev/rules.d)")
set(KYRVANA_UDEV_RULE_NAME "70-kyrvana.rules")
if(IS_ABSOLUTE "${KYRVANA_INSTALL_UDEVRULESDIR}")
    set(KYRVANA_UDEV_RULE_PATH "${KYRVANA_INSTALL_UDEVRULESDIR}/${KYRVANA_UDEV_RULE_NAME}")
else()
    set(KYRVANA_UDEV_RULE_PATH
        "${CMAKE_INSTALL_PREFIX}/${KYRVANA_INSTALL_UDEVRULESDIR}/${KYRVANA_UDEV_RULE_NAME}")
endif()
# The one command that applies a new udev rule to a port that is already
# plugged in, without logging out.
set(KYRVANA_UDEV_APPLY_COMMAND "sudo udevadm control --reload && sudo udevadm trigger")

configure_file(${CMAKE_CURRENT_LIST_DIR}/project_identity.h.in
    ${CMAKE_BINARY_DIR}/generated/kyrvana/project_identity.h @ONLY)
add_library(kyrvana_project_identity INTERFACE)
target_include_directories(kyrvana_project_identity INTERFACE ${CMAKE_BINARY_DIR}/generated)
