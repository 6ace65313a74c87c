# Writes the page's About text for the engine (cmake -DIN=... -DVERSION_FILE=... -DOUT=... -P),
# with the version of the source that was fetched.
file(READ ${VERSION_FILE} NEC2C_VERSION)
string(STRIP "${NEC2C_VERSION}" NEC2C_VERSION)
configure_file(${IN} ${OUT} @ONLY)
