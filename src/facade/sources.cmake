list(APPEND CV_PUBLIC_HEADERS
    corvana.h
    corvanaconfiguration.h)
list(APPEND CV_SOURCES
    facade/corvana.cpp
    facade/corvana_p.h
    facade/corvana_people.cpp
    facade/corvana_routing.cpp
    facade/corvanaconfiguration.cpp
    facade/cvsyncdiff_p.h)
