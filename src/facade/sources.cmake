list(APPEND CV_PUBLIC_HEADERS
    corvana.h
    corvanaconfiguration.h)
list(APPEND CV_SOURCES
    facade/corvana.cpp
    facade/corvana_p.h
    facade/corvana_routing.cpp
    facade/corvanaconfiguration.cpp
    facade/cvsyncdiff_p.h
    # One file per feature, each under its own comment.
    # Profiles, friends and birthdays
    facade/corvana_people.cpp

    # Feeds, posts and comments
    facade/corvana_feeds.cpp

    # Message threads
    facade/corvana_threads.cpp

    # Events, groups, check-ins, pages and places
    facade/corvana_social.cpp

    # Notifications
    facade/corvana_notifications.cpp

    # Photos, albums, videos, tags and search
    facade/corvana_media.cpp
)
