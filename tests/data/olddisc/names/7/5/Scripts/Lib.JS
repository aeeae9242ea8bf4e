window.libLoaded = true;
