vod_fuzz(filter vod_platform vod_core)
