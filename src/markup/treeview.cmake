# Sources of the markup tree view: target_sources(markup PRIVATE ...).
