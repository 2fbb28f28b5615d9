#pragma once
// The ffmpeg functions the code calls, loaded on first use (platform/dynlib).
// A .cpp that defines VAREK_AV_OWN_NAMES before including this keeps the
// library's own names (the table's loader). A call of a function missing from
// the list fails to link, as the library is not linked: add it to the list.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
#include <libswscale/swscale.h>
}

#include "platform/dynlib/DynLib.h"

#define VAREK_AV_FUNCTIONS(X)                                                                                \
    X(av_find_best_stream)                                                                                   \
    X(av_frame_alloc)                                                                                        \
    X(av_frame_free)                                                                                         \
    X(av_frame_unref)                                                                                        \
    X(av_packet_alloc)                                                                                       \
    X(av_packet_free)                                                                                        \
    X(av_packet_unref)                                                                                       \
    X(av_read_frame)                                                                                         \
    X(av_rescale_q)                                                                                          \
    X(av_sample_fmt_is_planar)                                                                               \
    X(av_seek_frame)                                                                                         \
    X(av_strerror)                                                                                           \
    X(avcodec_alloc_context3)                                                                                \
    X(avcodec_find_decoder)                                                                                  \
    X(avcodec_flush_buffers)                                                                                 \
    X(avcodec_free_context)                                                                                  \
    X(avcodec_open2)                                                                                         \
    X(avcodec_parameters_to_context)                                                                         \
    X(avcodec_receive_frame)                                                                                 \
    X(avcodec_send_packet)                                                                                   \
    X(avformat_close_input)                                                                                  \
    X(avformat_find_stream_info)                                                                             \
    X(avformat_open_input)                                                                                   \
    X(avformat_seek_file)                                                                                    \
    X(sws_freeContext)                                                                                       \
    X(sws_getCachedContext)                                                                                  \
    X(sws_scale)

VAREK_DYN_TABLE(AvApi, VAREK_AV_FUNCTIONS)

#ifndef VAREK_AV_OWN_NAMES
#define av_find_best_stream (AvApi::Get().av_find_best_stream)
#define av_frame_alloc (AvApi::Get().av_frame_alloc)
#define av_frame_free (AvApi::Get().av_frame_free)
#define av_frame_unref (AvApi::Get().av_frame_unref)
#define av_packet_alloc (AvApi::Get().av_packet_alloc)
#define av_packet_free (AvApi::Get().av_packet_free)
#define av_packet_unref (AvApi::Get().av_packet_unref)
#define av_read_frame (AvApi::Get().av_read_frame)
#define av_rescale_q (AvApi::Get().av_rescale_q)
#define av_sample_fmt_is_planar (AvApi::Get().av_sample_fmt_is_planar)
#define av_seek_frame (AvApi::Get().av_seek_frame)
#define av_strerror (AvApi::Get().av_strerror)
#define avcodec_alloc_context3 (AvApi::Get().avcodec_alloc_context3)
#define avcodec_find_decoder (AvApi::Get().avcodec_find_decoder)
#define avcodec_flush_buffers (AvApi::Get().avcodec_flush_buffers)
#define avcodec_free_context (AvApi::Get().avcodec_free_context)
#define avcodec_open2 (AvApi::Get().avcodec_open2)
#define avcodec_parameters_to_context (AvApi::Get().avcodec_parameters_to_context)
#define avcodec_receive_frame (AvApi::Get().avcodec_receive_frame)
#define avcodec_send_packet (AvApi::Get().avcodec_send_packet)
#define avformat_close_input (AvApi::Get().avformat_close_input)
#define avformat_find_stream_info (AvApi::Get().avformat_find_stream_info)
#define avformat_open_input (AvApi::Get().avformat_open_input)
#define avformat_seek_file (AvApi::Get().avformat_seek_file)
#define sws_freeContext (AvApi::Get().sws_freeContext)
#define sws_getCachedContext (AvApi::Get().sws_getCachedContext)
#define sws_scale (AvApi::Get().sws_scale)
#endif
