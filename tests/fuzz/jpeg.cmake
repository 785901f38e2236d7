vod_fuzz(jpeg vod_platform vod_core)
