# Options per package generator, read by cpack. The Debian package is a shared installation: the
# program folder in /opt/sw61942 with the marker that gives each user a workspace of their own,
# and the menu entry, icon and commands in /usr (absolute destinations, hence DESTDIR).
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX "${CPACK_SW_SHARED_PREFIX}")
  set(CPACK_INSTALL_PREFIX "${CPACK_SW_SHARED_PREFIX}")
  set(CPACK_SET_DESTDIR ON)
  # A system package without the debugging information of a RelWithDebInfo build.
  set(CPACK_STRIP_FILES ON)
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_SW_SHARED_PROJECTS}")
  # Where this user may open no ICMP socket, the reachability check before an update sends its
  # requests with the system's ping, which has a privilege of its own.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "iputils-ping")
endif()
