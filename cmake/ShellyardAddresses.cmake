# The project's two addresses, the only place the build spells them: its home page, opened by the
# Upgrade and Donation tools and the About links and named by the metainfo, the package and the
# copyright file; and the maintainer of the package. Both are the builder's to give:
#   -DSHELLYARD_HOMEPAGE=https://...     empty (the default): no home page anywhere; the program
#                                        sends users to its installed README instead
#   -DSHELLYARD_MAINTAINER="Name <mail>" the default is an address that cannot be delivered
set(SHELLYARD_HOMEPAGE "" CACHE STRING
    "The project's home page (https://host/path), or empty for none: the program then opens its README")
set(SHELLYARD_MAINTAINER "The Shellyard developers <maintainer@shellyard.invalid>" CACHE STRING
    "The package's maintainer, as \"Name <address>\"; the default is a placeholder that cannot be delivered")

# Only a plain https address: host, optional port and path, nothing a compiler definition, an XML
# file or a shell would need to quote.
if(NOT SHELLYARD_HOMEPAGE STREQUAL "" AND
   NOT SHELLYARD_HOMEPAGE MATCHES "^https://[A-Za-z0-9.-]+(:[0-9]+)?(/[A-Za-z0-9._~/%+-]*)?$")
  message(FATAL_ERROR "SHELLYARD_HOMEPAGE must be an https:// address of the form https://host/path/ "
                      "(host, optional port and path; no query, fragment, blank or quote), or empty for none; "
                      "it is \"${SHELLYARD_HOMEPAGE}\"")
endif()
if(NOT SHELLYARD_MAINTAINER MATCHES "^[^<>@\"]+ <[^<>@\" ]+@[^<>@\" ]+\\.[^<>@\" ]+>$")
  message(FATAL_ERROR "SHELLYARD_MAINTAINER must read \"Name <address>\", as a Debian package's Maintainer "
                      "field does; it is \"${SHELLYARD_MAINTAINER}\"")
endif()
