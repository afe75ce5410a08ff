# Installing into a scratch prefix and building the Debian package.
murk_test(install_tests
  SOURCES InstallTest.cpp
  LIBS murk_platform
  TIMEOUT 600)
add_dependencies(install_tests murkhaven)
