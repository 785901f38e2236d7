vod_fuzz(windowlink vod_platform vod_core)
